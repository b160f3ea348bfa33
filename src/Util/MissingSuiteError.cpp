#include "Util/AEGP_SuiteHandler.h"

namespace zelfin {

// Thrown by value as a bare PF_Err so the entry point can return it to the host unchanged.
void AEGP_SuiteHandler::MissingSuiteError() const { throw PF_Err{PF_Err_BAD_CALLBACK_PARAM}; }

}  // namespace zelfin
