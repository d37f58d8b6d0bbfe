#include "data/dberror.h"

namespace kl {

DbError::DbError(int number, QString description)
    : number_(number), description_(std::move(description)), utf8_(description_.toUtf8()) {}

}  // namespace kl
