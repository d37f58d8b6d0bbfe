#include "testenv.h"

#include "data/appcontext.h"

namespace kl::test {

TempProgramFolder::TempProgramFolder() : previousFolder_(context().programFolder) {
    if (!dir_.isValid()) qFatal("cannot create a temporary program folder");
    context().programFolder = dir_.path();
    context().reset();
}

TempProgramFolder::~TempProgramFolder() {
    context().programFolder = previousFolder_;
    context().reset();
}

}  // namespace kl::test
