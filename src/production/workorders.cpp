#include "production/workorders.h"

namespace kl {

std::optional<ProductMaterials> loadMaterials(const QString&, const QString&) {
    return {};
}
void applyQuantity(std::vector<MaterialLine>&, const QString&) {}
QString materialCost(const std::vector<MaterialLine>&) {
    return {};
}
QString totalCost(const WorkOrderCosts&) {
    return {};
}
std::optional<QString> costPerUnit(const QString&, const QString&) {
    return {};
}
QStringList shortages(const std::vector<MaterialLine>&) {
    return {};
}
QString shortageMessage(const QStringList&) {
    return {};
}
QStringList productNames(const QString&) {
    return {};
}
int nextWorkOrderNumber(const QString&) {
    return 1;
}
std::vector<WorkOrderRow> loadWorkOrders(const QString&) {
    return {};
}
IssueResult issueWorkOrder(const QString&, const WorkOrder&, const std::vector<MaterialLine>&) {
    return {};
}
std::optional<StoredWorkOrder> loadWorkOrder(const QString&, const QString&) {
    return {};
}
void saveWorkOrderChange(const QString&, const QString&, const QDate&, const QDate&,
                         const WorkOrderCosts&) {}
QString workOrderSheet(const QString&, const WorkOrder&, const std::vector<CostLine>&,
                       const QString&, const QString&, const QDate&) {
    return {};
}

}  // namespace kl
