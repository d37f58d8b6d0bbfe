#include "shell/frmuvod.h"

#include "shell/shellwindows.h"
#include "ui/windowregistry.h"

#include <QLabel>
#include <QLayout>
#include <QTimer>
#include <QVBoxLayout>

#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

namespace kl {

namespace {

constexpr qint64 kSplashMs = 500;
// The register's window is shown this long before the half second ends, under the brand (which
// stays on top until then): showing and first painting it take about that, so the register is
// on screen when the brand goes.
constexpr qint64 kListLeadMs = 50;

// Milliseconds since this process was started, as the kernel records its start (to its clock
// tick, 10 ms); 0 where that cannot be read.
qint64 msSinceProcessStart() {
    std::ifstream stat("/proc/self/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    // The fields after the command name (which may hold blanks), from the third on.
    const auto close = text.rfind(')');
    if (close == std::string::npos) return 0;
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    unsigned long long startTicks = 0;
    for (int i = 3; i <= 22 && fields >> field; ++i)
        if (i == 22) startTicks = std::strtoull(field.c_str(), nullptr, 10);
    const long ticksPerSecond = sysconf(_SC_CLK_TCK);
    timespec now{};
    if (startTicks == 0 || ticksPerSecond <= 0 || clock_gettime(CLOCK_BOOTTIME, &now) != 0)
        return 0;
    const qint64 nowMs = qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
    const qint64 startMs = qint64(startTicks * 1000 / (unsigned long long)ticksPerSecond);
    return std::max<qint64>(0, nowMs - startMs);
}

}  // namespace

// The program shows every date in the day.month.year form ("05.12.2026") through its own
// conversions and date fields, whatever the machine's settings; nothing of the machine is changed.
frmUvod::frmUvod(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("frmUvod"));
    setWindowTitle(QStringLiteral("Uvod"));
    // A plain titled window: the caption "Uvod" is part of the start-up.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

    auto* layout = new QVBoxLayout(this);
    auto* brand = new QLabel(QStringLiteral("Lumen"), this);
    brand->setObjectName(QStringLiteral("Label1"));
    QFont big = brand->font();
    big.setPointSize(40);
    big.setBold(true);
    big.setItalic(true);
    brand->setFont(big);
    brand->setAlignment(Qt::AlignCenter);
    auto* name = new QLabel(QStringLiteral("Knjigovodstveni programi"), this);
    name->setObjectName(QStringLiteral("lblNaziv"));
    QFont f = name->font();
    f.setPointSize(14);
    name->setFont(f);
    name->setAlignment(Qt::AlignCenter);
    layout->addStretch();
    layout->addWidget(brand);
    layout->addWidget(name);
    layout->addStretch();
    setStyleSheet(
        QStringLiteral("QWidget#frmUvod { background: #1f3b5a; } QLabel { color: #f4e9c8; }"));
    setAttribute(Qt::WA_StyledBackground);
    setFixedSize(480, 280);

    timer_ = new QTimer(this);
    timer_->setObjectName(QStringLiteral("Timer1"));
    // Half a second from the start of the process, not from this window: loading the program
    // and building the window take part of it. A splash made later than that (not at start-up)
    // shows its whole half second.
    const qint64 elapsed = msSinceProcessStart();
    const qint64 left = elapsed > 0 && elapsed < kSplashMs ? kSplashMs - elapsed : kSplashMs;
    shownUntil_.start();
    remainingMs_ = left;
    timer_->setInterval(int(std::max<qint64>(1, left - kListLeadMs)));
    timer_->setSingleShot(true);
    connect(timer_, &QTimer::timeout, this, &frmUvod::timerFired);
    timer_->start();
}

void frmUvod::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    if (prepared_) return;
    prepared_ = true;
    // After this paint has reached the screen.
    // After this paint has reached the screen: the register's window made, polished, laid out
    // and given its native window, so that showing it only paints it.
    QTimer::singleShot(0, this, [] {
        QWidget* list = windows().window(win::IzborTvrtke);
        if (!list) return;
        list->ensurePolished();
        if (QLayout* layout = list->layout()) layout->activate();
        list->winId();
    });
}

void frmUvod::timerFired() {
    showWindow(windows().window(win::IzborTvrtke));
    raise();  // the brand stays in front until its half second is over
    QTimer::singleShot(int(std::max<qint64>(0, remainingMs_ - shownUntil_.elapsed())), this,
                       [this] {
                           windows().forget(this);
                           close();
                       });
}

}  // namespace kl
