#include "warehouse/frmunosdokumenta.h"

#include "data/appcontext.h"
#include "data/dberror.h"
#include "ui/controls.h"
#include "ui/fields.h"
#include "ui/msgboxhr.h"
#include "warehouse/documentlists.h"
#include "warehouse/masterdata.h"
#include "warehouse/warehousewindows.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace kl {

frmunosdokumenta::frmunosdokumenta(QWidget* parent) : ChildWindow(parent, Sizing::Free) {
    setObjectName(win::UnosDokumenta);
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(Width, Height);
    book_ = context().currentBook();
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
    setActivationFocus(txtunos_);
}

void frmunosdokumenta::storeType() {
    const QString name = txtunos_->text();
    if (name.isEmpty()) return;
    if (MsgBoxHr(QStringLiteral("Unosimo novi dokument?"), MsgStyle::YesNo | MsgStyle::Question,
                 QStringLiteral("Unosim dokument?")) != MsgResult::Yes)
        return;
    try {
        insertDocumentType(book_, name);
    } catch (const DbError& e) {
        showDbError(QStringLiteral("Dokument nije unešen."), e);
        return;
    }
    if (DocumentLists* document = documentLists()) document->addDocumentType(name);
    MsgBoxHr(QStringLiteral("Novi dokument unešen"), MsgStyle::OkOnly | MsgStyle::Information,
             QStringLiteral("Dokument unešen"));
    txtunos_->clear();
    txtunos_->setFocus(Qt::OtherFocusReason);
}

}  // namespace kl
