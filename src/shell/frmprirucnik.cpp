#include "shell/frmprirucnik.h"

#include "data/appcontext.h"
#include "shell/programfolder.h"
#include "shell/shellwindows.h"
#include "ui/msgboxhr.h"
#include "ui/windowregistry.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>
#include <QVBoxLayout>

namespace kl {

frmPrirucnik::frmPrirucnik(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(win::Prirucnik);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Priručnik"));
    txtprirucnik_ = new QTextBrowser(this);
    txtprirucnik_->setObjectName(QStringLiteral("txtprirucnik"));
    txtprirucnik_->setOpenExternalLinks(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(txtprirucnik_);
    resize(900, 700);
}

bool frmPrirucnik::load(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QString folder = QFileInfo(path).absolutePath();
    txtprirucnik_->setSearchPaths({folder});
    txtprirucnik_->document()->setBaseUrl(QUrl::fromLocalFile(folder + QLatin1Char('/')));
    txtprirucnik_->setMarkdown(QString::fromUtf8(file.readAll()));
    // The pictures are screenshots of whole windows: shown smaller than the text's width, so
    // they read as pictures and need no sideways scrolling.
    QTextDocument* doc = txtprirucnik_->document();
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.charFormat().isImageFormat()) continue;
            QTextImageFormat image = fragment.charFormat().toImageFormat();
            const QVariant picture = doc->resource(QTextDocument::ImageResource, image.name());
            const int width = picture.value<QImage>().width();
            if (width <= MaxPictureWidth) continue;
            image.setWidth(MaxPictureWidth);
            QTextCursor cursor(doc);
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            cursor.setCharFormat(image);
        }
    }
    return true;
}

void showUserGuide() {
    const QString path = findGuide(
        guideFolderCandidates(QCoreApplication::applicationDirPath(), context().programFolder));
    auto* guide = windows().window<frmPrirucnik>(win::Prirucnik);
    if (!guide) return;
    if (path.isEmpty() || !guide->load(path)) {
        windows().unload(win::Prirucnik);
        MsgBoxHr(QStringLiteral("Priručnik nije pronađen. Nalazi se u mapi dokumentacije "
                                "programa (%1) ili u mapi docs izvornog koda.")
                     .arg(QDir::toNativeSeparators(QStringLiteral("/usr/share/doc/knjigelumen"))),
                 MsgStyle::OkOnly | MsgStyle::Exclamation, QStringLiteral("Priručnik"));
        return;
    }
    showWindow(guide);
}

}  // namespace kl
