#include "import/import_state.h"

std::string gImportMessage;
std::string gImportFileName;
int64_t gImportFromStl = 0;

int64_t gImportPointLimit = IMPORT_MAX_POINTS;
int64_t gImportPointsLeft = IMPORT_MAX_POINTS;
int64_t gImportOverBudget = 0;

void ResetImportBudget() {
  gImportPointsLeft = gImportPointLimit;
  gImportOverBudget = 0;
}
