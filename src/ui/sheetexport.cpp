#include "ui/sheetexport.h"

#include "data/dberror.h"
#include "data/settings.h"
#include "ui/controls.h"
#include "ui/msgboxhr.h"

#include <QApplication>
#include <QBoxLayout>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QPushButton>

namespace kl {

namespace {

SaveFileChooser& saveFileChooser() {
    static SaveFileChooser chooser;
    return chooser;
}

// Shows the hourglass while it lives.
struct Hourglass {
    Hourglass() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~Hourglass() { QApplication::restoreOverrideCursor(); }
    Hourglass(const Hourglass&) = delete;
    Hourglass& operator=(const Hourglass&) = delete;
};

// The export dialogs share one remembered folder.
const QString kExportDialog = QStringLiteral("izvoz");

}  // namespace

void setSaveFileChooser(SaveFileChooser chooser) {
    saveFileChooser() = std::move(chooser);
}

void exportSheet(QWidget* parent, bool xlsx, const SheetOf& sheetOf, const QString& nothing) {
    const QString title = xlsx ? QStringLiteral("Izvoz u Excel") : QStringLiteral("Izvoz u CSV");
    std::optional<sheet::Sheet> table;
    try {
        Hourglass busy;
        table = sheetOf();
    } catch (const DbError& e) {
        MsgBoxHr(e.description(), MsgStyle::OkOnly, QString());
        return;
    }
    if (!table) {
        MsgBoxHr(nothing.isEmpty()
                     ? QStringLiteral("Najprije prikažite izvještaj (Prikaz), pa ga izvezite.")
                     : nothing,
                 MsgStyle::OkOnly | MsgStyle::Exclamation, title);
        return;
    }
    const QString extension = xlsx ? QStringLiteral("xlsx") : QStringLiteral("csv");
    const QString proposed =
        QDir(settings::lastFolder(kExportDialog, QDir::homePath()))
            .filePath(sheet::proposedFileName(table->name, QDate::currentDate(), extension));
    QString path;
    if (saveFileChooser()) {
        path = saveFileChooser()(title, proposed);
    } else {
        path = QFileDialog::getSaveFileName(
            parent, title, proposed,
            xlsx ? QStringLiteral("Excel (*.xlsx)") : QStringLiteral("CSV (*.csv)"), nullptr,
            QFileDialog::DontConfirmOverwrite);
    }
    if (path.isEmpty()) return;
    if (!path.endsWith(QLatin1Char('.') + extension, Qt::CaseInsensitive))
        path += QLatin1Char('.') + extension;
    settings::rememberFolder(kExportDialog, path);
    if (QFileInfo::exists(path) &&
        MsgBoxHr(QStringLiteral("Datoteka %1 već postoji. Zamijeniti je?")
                     .arg(QDir::toNativeSeparators(path)),
                 MsgStyle::YesNo | MsgStyle::Question | MsgStyle::DefaultButton2,
                 title) != MsgResult::Yes)
        return;
    QString error;
    {
        Hourglass busy;
        error = xlsx ? sheet::writeXlsx(path, *table) : sheet::writeCsv(path, *table);
    }
    if (!error.isEmpty()) {
        MsgBoxHr(error, MsgStyle::OkOnly | MsgStyle::Critical, title);
        return;
    }
    MsgBoxHr(
        QStringLiteral("Izvještaj je spremljen u datoteku %1.").arg(QDir::toNativeSeparators(path)),
        MsgStyle::OkOnly | MsgStyle::Information, title);
}

std::pair<QPushButton*, QPushButton*> makeExportButtons(QWidget* window, const SheetOf& sheetOf,
                                                        const QString& nothing) {
    QPushButton* excel = makeButton(window, "cmdizvozexcel", QStringLiteral("Izvoz u E&xcel..."),
                                    QStringLiteral("Izvještaj u tablicu (.xlsx)"));
    QPushButton* csv = makeButton(window, "cmdizvozcsv", QStringLiteral("Izvoz u &CSV..."),
                                  QStringLiteral("Izvještaj u datoteku CSV"));
    QObject::connect(excel, &QPushButton::clicked, window,
                     [=] { exportSheet(window, true, sheetOf, nothing); });
    QObject::connect(csv, &QPushButton::clicked, window,
                     [=] { exportSheet(window, false, sheetOf, nothing); });
    return {excel, csv};
}

std::vector<QPushButton*> addExportButtons(QPushButton* printButton, const SheetOf& sheetOf,
                                           const std::function<void()>& preview,
                                           const QString& nothing) {
    QWidget* window = printButton->parentWidget();
    std::vector<QPushButton*> buttons;
    if (preview) {
        QPushButton* b = makeButton(window, "cmdpregledispisa", QStringLiteral("Pre&gled ispisa"),
                                    QStringLiteral("Pregled ispisa po stranicama"));
        QObject::connect(b, &QPushButton::clicked, window, preview);
        buttons.push_back(b);
    }
    const auto [excel, csv] = makeExportButtons(window, sheetOf, nothing);
    buttons.push_back(excel);
    buttons.push_back(csv);
    QBoxLayout* layout = nullptr;
    int at = -1;
    for (QBoxLayout* l : window->findChildren<QBoxLayout*>()) {
        at = l->indexOf(printButton);
        if (at >= 0) {
            layout = l;
            break;
        }
    }
    QWidget* previous = printButton;
    for (QPushButton* b : buttons) {
        if (layout) layout->insertWidget(++at, b);
        b->setEnabled(printButton->isEnabled());
        QWidget::setTabOrder(previous, b);
        previous = b;
    }
    // They follow the print button's state: a window that enables it enables them.
    struct Follower : QObject {
        QPushButton* print;
        std::vector<QPushButton*> follow;
        Follower(QPushButton* p, std::vector<QPushButton*> f)
            : QObject(p), print(p), follow(std::move(f)) {
            p->installEventFilter(this);
        }
        bool eventFilter(QObject* o, QEvent* e) override {
            if (o == print && e->type() == QEvent::EnabledChange)
                for (QPushButton* b : follow)
                    b->setEnabled(print->isEnabled());
            return false;
        }
    };
    new Follower(printButton, buttons);
    return buttons;
}

}  // namespace kl
