#include "production/frmrn.h"

namespace kl {

frmrn::frmrn(QWidget* parent) : ChildWindow(parent) {
    setAttribute(Qt::WA_DeleteOnClose);
}

}  // namespace kl
