// Moving values between the fields of the main window and the records,
// the number rules of the fields, and field enabling.
#pragma once

#include <cstdint>
#include <string>

// Fills gParams from the form (all but the imported outline).
void ReadFormIntoParams();
// The number in a field: trimmed of blanks, "," read as ".", unreadable
// text gives 0.
double ReadFieldNumber(int64_t gadget);
// The same rule on a text.
double ParseFieldNumber(const std::string& text);
// The integer rule of the count field: optional sign and leading digits,
// saturating at the int64 limits.
int64_t ParseFieldInteger(const std::string& text);
// At most three decimals, no trailing zeros.
std::string FormatFieldNumber(double x);
// Sets a field's text only when it differs from the current one.
void SetFieldTextIfChanged(int64_t gadget, const std::string& text);
// Enables or disables the fields by shape, figure and vase type.
void UpdateFieldEnabling();
