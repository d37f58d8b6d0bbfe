#include "production/frmproizvodi.h"

namespace kl {

frmproizvodi::frmproizvodi(QWidget* parent) : ChildWindow(parent) {
    setAttribute(Qt::WA_DeleteOnClose);
}

}  // namespace kl
