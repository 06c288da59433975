#include "webpart/Fields.h"

namespace wpe {

namespace {
bool fillingFields = false;
}

bool FillingFields() { return fillingFields; }

FillingFieldsScope::FillingFieldsScope() : previous_(fillingFields) { fillingFields = true; }

FillingFieldsScope::~FillingFieldsScope() { fillingFields = previous_; }

} // namespace wpe
