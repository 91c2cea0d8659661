// The texts of the information field and of status fields 0 to 3, built
// from a result; the shell puts them into its gadgets.
#pragma once

#include <cstdint>
#include <string>

#include "engine/design.h"

// label cut or padded with spaces to 18 characters, then value, then "\n".
std::string FormatInfoLine(const std::string& label, const std::string& value);
std::string BuildInfoText(const DesignResult& result, const DesignParams& params, int64_t divideByWidth,
                          const std::string& importFileName);
// Texts of STATUS_PITCH, STATUS_COUNT, STATUS_CIRCUMFERENCE and STATUS_WARNINGS.
void BuildStatusTexts(const DesignResult& result, const DesignParams& params, std::string texts[4]);
