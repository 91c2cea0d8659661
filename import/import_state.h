// What an import leaves behind for the command and the shell, and the
// budget that bounds how many points one import may sample.
#pragma once

#include <cstdint>
#include <string>

// The result or error text of the last import step.
extern std::string gImportMessage;
// The path of the imported file; set only after a successful import.
extern std::string gImportFileName;
// 1 while the outline is a cross-section of the loaded STL model.
extern int64_t gImportFromStl;

// The most points one import may sample; a file asking for more is refused.
constexpr int64_t IMPORT_MAX_POINTS = 20'000'000;
// The limit in force (tests lower it), what is left of it, and whether an
// append was refused since the last reset.
extern int64_t gImportPointLimit;
extern int64_t gImportPointsLeft;
extern int64_t gImportOverBudget;

void ResetImportBudget();
