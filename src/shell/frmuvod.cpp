#include "shell/frmuvod.h"

#include "shell/shellwindows.h"
#include "ui/windowregistry.h"

#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

namespace kl {

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
    timer_->setInterval(500);
    timer_->setSingleShot(true);
    connect(timer_, &QTimer::timeout, this, &frmUvod::timerFired);
    timer_->start();
}

void frmUvod::timerFired() {
    showWindow(windows().window(win::IzborTvrtke));
    windows().forget(this);
    close();
}

}  // namespace kl
