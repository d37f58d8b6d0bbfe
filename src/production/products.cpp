#include "production/products.h"

namespace kl {

QString WarehouseBook::path() const {
    return {};
}
std::vector<WarehouseBook> companyWarehouseBooks(const QString&) {
    return {};
}
std::optional<WarehouseBook> registeredBook(const QString&) {
    return {};
}
std::vector<Product> loadProducts(const QString&) {
    return {};
}
ProductClash findProductClash(const QString&, const ProductHeader&, const QString&) {
    return {};
}
QString storeProduct(const QString&, const ProductHeader&, const std::vector<BillLine>&) {
    return {};
}
void saveProductChange(const QString&, const QString&, const ProductHeader&,
                       const std::vector<BillLine>&, const QStringList&) {}
bool productInWorkOrder(const QString&, const QString&) {
    return false;
}
void deleteProduct(const QString&, const QString&) {}
std::optional<LoadedProduct> loadProduct(const QString&, const QString&) {
    return {};
}
QString productPrice(const std::vector<BillLine>&) {
    return {};
}
QString productSheet(const ProductHeader&, const std::vector<BillLine>&, const QString&,
                     const QDate&) {
    return {};
}

}  // namespace kl
