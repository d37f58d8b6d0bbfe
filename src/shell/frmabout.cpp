#include "shell/frmabout.h"

#include "data/appcontext.h"
#include "shell/helptexts.h"
#include "shell/shellwindows.h"
#include "ui/msgboxhr.h"

#include <QDir>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QStorageInfo>
#include <QSysInfo>
#include <QTextBrowser>
#include <QTextFrame>
#include <QVBoxLayout>

#include <sqlite3.h>

namespace kl {

namespace {

// Total memory of the machine from /proc/meminfo, as "7,6 GB"; empty where it cannot be read.
QString memoryText() {
    QFile f(QStringLiteral("/proc/meminfo"));
    if (!f.open(QIODevice::ReadOnly)) return {};
    const QByteArray line = f.readLine();  // "MemTotal:  8000000 kB"
    const QList<QByteArray> parts = line.simplified().split(' ');
    if (parts.size() < 2) return {};
    const double gb = parts[1].toDouble() / (1024.0 * 1024.0);
    return QString::number(gb, 'f', 1).replace(QLatin1Char('.'), QLatin1Char(',')) +
           QStringLiteral(" GB");
}

QString gbText(qint64 bytes) {
    return QString::number(double(bytes) / (1024.0 * 1024.0 * 1024.0), 'f', 1)
               .replace(QLatin1Char('.'), QLatin1Char(',')) +
           QStringLiteral(" GB");
}

}  // namespace

frmAbout::frmAbout(QWidget* parent) : QDialog(parent) {
    setObjectName(win::About);
    setWindowTitle(QStringLiteral("O programu knjigovodstvo i o nama"));
    setFixedSize(FixedWidth, FixedHeight);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);

    picIcon_ = new QLabel(this);
    picIcon_->setObjectName(QStringLiteral("picIcon"));
    picIcon_->setPixmap(emblem(96));
    picIcon_->setFixedSize(96, 96);

    label1_ = new QLabel(QStringLiteral("Program: Knjige Lumen"), this);
    label1_->setObjectName(QStringLiteral("Label1"));
    QFont big = label1_->font();
    big.setPointSize(big.pointSize() + 6);
    big.setBold(true);
    label1_->setFont(big);
    lblVersion_ = new QLabel(QStringLiteral("Verzija programa: 1.01"), this);
    lblVersion_->setObjectName(QStringLiteral("lblVersion"));
    lblDescription_ = new QLabel(help::productDescription(), this);
    lblDescription_->setObjectName(QStringLiteral("lblDescription"));
    lblDescription_->setWordWrap(true);
    lblDisclaimer_ = new QLabel(help::makersContact(), this);
    lblDisclaimer_->setObjectName(QStringLiteral("lblDisclaimer"));
    lblDisclaimer_->setWordWrap(true);

    cmdOK_ = new QPushButton(QStringLiteral("U redu"), this);
    cmdOK_->setObjectName(QStringLiteral("cmdOK"));
    cmdOK_->setDefault(true);
    cmdSysInfo_ = new QPushButton(QStringLiteral("&System Info..."), this);
    cmdSysInfo_->setObjectName(QStringLiteral("cmdSysInfo"));
    cmdSysInfo_->setAutoDefault(false);

    auto* text = new QVBoxLayout;
    text->addWidget(label1_);
    text->addWidget(lblVersion_);
    text->addSpacing(12);
    text->addWidget(lblDescription_);
    text->addStretch();
    text->addWidget(lblDisclaimer_);
    auto* top = new QHBoxLayout;
    top->addWidget(picIcon_, 0, Qt::AlignTop);
    top->addSpacing(16);
    top->addLayout(text, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK_);
    buttons->addWidget(cmdSysInfo_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(buttons);

    // The guide lies over the page, above the buttons.
    txtpomoc_ = new QTextBrowser(this);
    txtpomoc_->setObjectName(QStringLiteral("txtpomoc"));
    txtpomoc_->setOpenLinks(false);
    txtpomoc_->setHtml(help::programGuide());
    // The text keeps a 30-pixel margin on the right.
    QTextFrameFormat frame = txtpomoc_->document()->rootFrame()->frameFormat();
    frame.setRightMargin(30);
    txtpomoc_->document()->rootFrame()->setFrameFormat(frame);
    txtpomoc_->hide();

    connect(cmdOK_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdSysInfo_, &QPushButton::clicked, this, &frmAbout::showSystemInformation);
}

QPixmap frmAbout::emblem(int size) {
    QPixmap pix(size, size);
    pix.fill(Qt::transparent);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    // A closed book: cover, pages, and the initial of the program.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xf4, 0xe9, 0xc8));
    p.drawRoundedRect(QRectF(s * 0.22, s * 0.10, s * 0.68, s * 0.82), s * 0.05, s * 0.05);
    p.setBrush(QColor(0x1f, 0x3b, 0x5a));
    p.drawRoundedRect(QRectF(s * 0.10, s * 0.06, s * 0.70, s * 0.84), s * 0.06, s * 0.06);
    p.setBrush(QColor(0xd9, 0xa4, 0x41));
    p.drawRect(QRectF(s * 0.16, s * 0.06, s * 0.05, s * 0.84));
    QFont f(QStringLiteral("DejaVu Serif"));
    f.setPixelSize(int(s * 0.46));
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(0xf4, 0xe9, 0xc8));
    p.drawText(QRectF(s * 0.22, s * 0.06, s * 0.58, s * 0.84), Qt::AlignCenter,
               QStringLiteral("L"));
    return pix;
}

void frmAbout::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    placeGuide();
}

void frmAbout::placeGuide() {
    layout()->activate();
    const int bottom = cmdOK_->geometry().top() - 8;
    txtpomoc_->setGeometry(0, 0, width(), qMax(0, bottom));
}

void frmAbout::showPage(bool guide, const QString& caption) {
    placeGuide();
    // The guide lies over the about page; the page's own controls step aside for it.
    txtpomoc_->setVisible(guide);
    txtpomoc_->raise();
    for (QWidget* w : std::initializer_list<QWidget*>{label1_, lblVersion_, lblDescription_,
                                                      lblDisclaimer_, picIcon_, cmdSysInfo_})
        w->setVisible(!guide);
    setWindowTitle(caption);
    setWindowModality(Qt::ApplicationModal);
    show();
    raise();
    activateWindow();
}

void frmAbout::showGuide() {
    showPage(true, QStringLiteral("O programu..."));
}

void frmAbout::showAboutPage() {
    showPage(false, QStringLiteral("O nama..."));
}

QString frmAbout::systemInformation() {
    QStringList lines;
    lines << QStringLiteral("Sustav: ") + QSysInfo::prettyProductName();
    lines << QStringLiteral("Jezgra: ") + QSysInfo::kernelType() + QLatin1Char(' ') +
                 QSysInfo::kernelVersion();
    lines << QStringLiteral("Procesor: ") + QSysInfo::currentCpuArchitecture();
    lines << QStringLiteral("Računalo: ") + QSysInfo::machineHostName();
    if (const QString mem = memoryText(); !mem.isEmpty())
        lines << QStringLiteral("Radna memorija: ") + mem;
    lines << QStringLiteral("Qt: ") + QString::fromLatin1(qVersion()) +
                 QStringLiteral(", SQLite: ") + QString::fromLatin1(sqlite3_libversion());
    const QString folder = context().programFolder;
    lines << QStringLiteral("Mapa programa i podataka: ") + QDir::toNativeSeparators(folder);
    const QStorageInfo disk(folder);
    if (disk.isValid())
        lines << QStringLiteral("Slobodno na disku: ") + gbText(disk.bytesAvailable()) +
                     QStringLiteral(" od ") + gbText(disk.bytesTotal());
    return lines.join(QLatin1Char('\n'));
}

void frmAbout::showSystemInformation() {
    MsgBoxHr(systemInformation(), MsgStyle::OkOnly | MsgStyle::Information,
             QStringLiteral("Podaci o sustavu"));
}

}  // namespace kl
