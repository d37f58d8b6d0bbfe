#include "warehouse/frmunosdokumenta.h"

#include "data/appcontext.h"
#include "data/dberror.h"
#include "ui/controls.h"
#include "ui/fields.h"
#include "ui/msgboxhr.h"
#include "warehouse/documentlists.h"
#include "warehouse/masterdata.h"
#include "warehouse/warehousewindows.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace kl {

frmunosdokumenta::frmunosdokumenta(QWidget* parent) : ChildWindow(parent, Sizing::Free) {
    setObjectName(win::UnosDokumenta);
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(Width, Height);
    bookPath_ = context().currentBookPath();
    setCaption(QStringLiteral("Unos dokumenta:"));

    txtunos_ = new TextField(this, "txtunos", 15);
    cmdunos_ = makeButton(this, "cmdunos", QStringLiteral("&Unesi"));
    cmdunos_->setEnabled(false);
    cmdodustani_ = makeButton(this, "cmdodustani", QStringLiteral("&Izlaz"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdunos_);
    buttons->addStretch();
    buttons->addWidget(cmdodustani_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(txtunos_);
    layout->addStretch();
    layout->addLayout(buttons);

    connect(txtunos_, &QLineEdit::textChanged, this,
            [this](const QString& text) { cmdunos_->setEnabled(!text.isEmpty()); });
    connect(cmdunos_, &QPushButton::clicked, this, &frmunosdokumenta::storeType);
    connect(cmdodustani_, &QPushButton::clicked, this, &QWidget::close);
}

void frmunosdokumenta::focusEntry() {
    txtunos_->setFocus(Qt::ActiveWindowFocusReason);
}

bool frmunosdokumenta::event(QEvent* event) {
    switch (event->type()) {
        case QEvent::WindowActivate:
            focusEntry();
            break;
        case QEvent::ParentChange:
            // Inside the main window the subwindow becomes active, not this widget; the focus
            // goes to the name after the subwindow has put it back where it was.
            if (QMdiSubWindow* sub = mdiSubWindow()) {
                connect(sub, &QMdiSubWindow::windowStateChanged, this,
                        [this](Qt::WindowStates before, Qt::WindowStates now) {
                            if (!(before & Qt::WindowActive) && (now & Qt::WindowActive))
                                QTimer::singleShot(0, this, &frmunosdokumenta::focusEntry);
                        });
            }
            break;
        default:
            break;
    }
    return ChildWindow::event(event);
}

void frmunosdokumenta::storeType() {
    const QString name = txtunos_->text();
    if (name.isEmpty()) return;
    if (MsgBoxHr(QStringLiteral("Unosimo novi dokument?"), MsgStyle::YesNo | MsgStyle::Question,
                 QStringLiteral("Unosim dokument?")) != MsgResult::Yes)
        return;
    try {
        insertDocumentType(bookPath_, name);
    } catch (const DbError& e) {
        showDbError(QStringLiteral("Dokument nije unešen."), e);
        return;
    }
    if (DocumentLists* document = documentLists()) document->addDocumentType(name);
    MsgBoxHr(QStringLiteral("Novi dokument unešen"), MsgStyle::OkOnly | MsgStyle::Information,
             QStringLiteral("Dokument unešen"));
    txtunos_->clear();
    focusEntry();
}

}  // namespace kl
