#include "msgboxhr.h"

#include "data/dberror.h"

#include <QApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace kl {

namespace {

MsgBoxResponder& responder() {
    static MsgBoxResponder r;
    return r;
}

// One button set: its result codes left to right.
QList<int> resultsFor(int style) {
    using namespace MsgResult;
    // The order of the tests matters: 5 before 4 before 3 ... and a style of 6 or 7 falls into
    // the first set whose bits it contains.
    if ((style & 5) == 5) return {Retry, Cancel};
    if ((style & 4) == 4) return {Yes, No};
    if ((style & 3) == 3) return {Yes, No, Cancel};
    if ((style & 2) == 2) return {Abort, Retry, Ignore};
    if ((style & 1) == 1) return {Ok, Cancel};
    return {Ok};
}

// The caption of a button: Croatian, or the platform's own for the plain box.
QString caption(int code, bool plain) {
    struct Caption {
        int code;
        const char* hr;
        const char* plain;
    };
    static const Caption captions[] = {
        {MsgResult::Ok, "U redu", "OK"},
        {MsgResult::Cancel, "Odustani", "Cancel"},
        {MsgResult::Abort, "Prekini", "Abort"},
        {MsgResult::Retry, "Ponovi", "Retry"},
        {MsgResult::Ignore, "Zanemari", "Ignore"},
        {MsgResult::Yes, "Da", "Yes"},
        {MsgResult::No, "Ne", "No"},
    };
    for (const Caption& c : captions)
        if (c.code == code) return QString::fromUtf8(plain ? c.plain : c.hr);
    return {};
}

// 256 selects the second button, 512 the third; anything else (or a button the set does not
// have) the first.
int defaultIndexFor(int style, int buttonCount) {
    int index = 0;
    switch (style & (MsgStyle::DefaultButton2 | MsgStyle::DefaultButton3)) {
        case MsgStyle::DefaultButton2:
            index = 1;
            break;
        case MsgStyle::DefaultButton3:
            index = 2;
            break;
    }
    return index < buttonCount ? index : 0;
}

// The code returned when the box is closed with Esc or its close button: Cancel where there is
// one, No for Yes/No, OK for a single OK, Abort for Abort/Retry/Ignore.
int escapeResultFor(const QList<int>& results) {
    if (results.contains(MsgResult::Cancel)) return MsgResult::Cancel;
    if (results.contains(MsgResult::No)) return MsgResult::No;
    if (results.contains(MsgResult::Abort)) return MsgResult::Abort;
    return results.value(0, MsgResult::Ok);
}

QStyle::StandardPixmap iconFor(int style, bool* hasIcon) {
    *hasIcon = true;
    switch (style & 0x70) {
        case MsgStyle::Critical:
            return QStyle::SP_MessageBoxCritical;
        case MsgStyle::Question:
            return QStyle::SP_MessageBoxQuestion;
        case MsgStyle::Exclamation:
            return QStyle::SP_MessageBoxWarning;
        case MsgStyle::Information:
            return QStyle::SP_MessageBoxInformation;
    }
    *hasIcon = false;
    return QStyle::SP_CustomBase;
}

MsgBoxShown describe(const QString& prompt, int style, const QString& title, bool plain) {
    MsgBoxShown box;
    box.prompt = prompt;
    box.style = style;
    box.title = title.isEmpty() ? applicationTitle() : title;
    box.results = resultsFor(style);
    for (int code : box.results)
        box.buttons << caption(code, plain);
    box.defaultButton = defaultIndexFor(style, int(box.results.size()));
    box.plain = plain;
    return box;
}

// The dialog itself: icon and prompt above, the buttons in a row below, always in the order of
// the set (the platform's button order is not applied). done() is called with the result code.
class MsgDialog : public QDialog {
  public:
    MsgDialog(const MsgBoxShown& box, QWidget* parent)
        : QDialog(parent), escapeResult_(escapeResultFor(box.results)) {
        setObjectName(QStringLiteral("msgboxhr"));
        // Title and close box only: a message is neither minimised nor maximised.
        setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                       Qt::WindowCloseButtonHint);
        setWindowTitle(box.title);
        setModal(true);

        auto* textRow = new QHBoxLayout;
        bool hasIcon = false;
        const QStyle::StandardPixmap sp = iconFor(box.style, &hasIcon);
        if (hasIcon) {
            auto* icon = new QLabel(this);
            icon->setObjectName(QStringLiteral("msgicon"));
            const int size = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
            icon->setPixmap(style()->standardIcon(sp, nullptr, this).pixmap(size, size));
            icon->setAlignment(Qt::AlignTop);
            textRow->addWidget(icon);
            textRow->addSpacing(12);
        }
        auto* text = new QLabel(this);
        text->setObjectName(QStringLiteral("msgprompt"));
        text->setTextFormat(Qt::PlainText);
        text->setText(box.prompt);
        text->setTextInteractionFlags(Qt::TextSelectableByMouse);
        // Long lines wrap at a readable width; short prompts keep their natural size.
        constexpr int kMaxTextWidth = 480;
        int widest = 0;
        for (const QString& line : box.prompt.split(QLatin1Char('\n')))
            widest = qMax(widest, text->fontMetrics().horizontalAdvance(line));
        if (widest > kMaxTextWidth) {
            text->setWordWrap(true);
            text->setFixedWidth(kMaxTextWidth);
        }
        textRow->addWidget(text, 1);

        auto* buttonRow = new QHBoxLayout;
        buttonRow->addStretch(1);
        for (int i = 0; i < box.results.size(); ++i) {
            auto* button = new QPushButton(box.buttons.value(i), this);
            button->setObjectName(QStringLiteral("msgbutton%1").arg(i));
            const int code = box.results.at(i);
            connect(button, &QPushButton::clicked, this, [this, code] { done(code); });
            buttonRow->addWidget(button);
            if (i == box.defaultButton) {
                button->setDefault(true);
                button->setFocus(Qt::OtherFocusReason);
            }
        }
        buttonRow->addStretch(1);

        auto* layout = new QVBoxLayout(this);
        layout->setSizeConstraint(QLayout::SetFixedSize);
        layout->addLayout(textRow);
        layout->addSpacing(8);
        layout->addLayout(buttonRow);
        // Wide enough for the whole title in the title bar (its buttons and icon included).
        QFont titleFont = font();
        titleFont.setBold(true);
        const int titleWidth = QFontMetrics(titleFont).horizontalAdvance(windowTitle()) + 150;
        layout->addSpacerItem(
            new QSpacerItem(qMin(titleWidth, 700), 0, QSizePolicy::Fixed, QSizePolicy::Minimum));
    }

    // Esc and the close box come here.
    void reject() override { done(escapeResult_); }

  private:
    int escapeResult_;
};

int show(const QString& prompt, int style, const QString& title, bool plain) {
    const MsgBoxShown box = describe(prompt, style, title, plain);
    if (responder()) return responder()(box);
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        qWarning("message box without a GUI: %s", qPrintable(prompt));
        return box.results.value(box.defaultButton, MsgResult::Ok);
    }
    QWidget* parent = QApplication::activeModalWidget();
    if (!parent) parent = QApplication::activeWindow();
    QPointer<QWidget> before = parent ? parent->window() : nullptr;
    MsgDialog dialog(box, parent);
    const int code = dialog.exec();
    // Back to the window the clerk was in, so that a field can take the focus again at once
    // (not every window system does this by itself when the box closes).
    if (before && before->isVisible()) before->activateWindow();
    return code > 0 ? code : escapeResultFor(box.results);
}

}  // namespace

QString applicationTitle() {
    return QStringLiteral("Knjige Lumen");
}

QStringList msgBoxCaptions(int style) {
    return describe(QString(), style, QString(), false).buttons;
}

QList<int> msgBoxResults(int style) {
    return resultsFor(style);
}

int MsgBoxHr(const QString& prompt, int style, const QString& title) {
    return show(prompt, style, title, false);
}

void showDbError(const QString& what, const DbError& error) {
    MsgBoxHr(what + QLatin1Char('\n') + error.description(), MsgStyle::OkOnly | MsgStyle::Critical,
             QStringLiteral("Greška u bazi"));
}

int plainMsgBox(const QString& prompt, int style, const QString& title) {
    return show(prompt, style, title, true);
}

void setMsgBoxResponder(MsgBoxResponder r) {
    responder() = std::move(r);
}

}  // namespace kl
