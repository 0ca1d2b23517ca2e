// Sheet names inside formula text: quoting a name for a reference and
// renaming the sheet references of a formula or defined name.
#pragma once

#include <string>

namespace XlsxFormulaText {

// "Sheet1" stays as it is; "My sheet" becomes "'My sheet'", "It's" "'It''s'".
std::string QuoteSheetName(const std::string& name);
// Every reference "Old!..." or "'Old'!..." (name compared ignoring ASCII
// case) made to refer to newName; string literals and external references
// ("[1]Old!A1") are left alone. True when anything changed.
bool RenameSheet(std::string& formula, const std::string& oldName, const std::string& newName);
// Sheet names compared as Excel does for uniqueness (ASCII case folded).
bool SameSheetName(const std::string& a, const std::string& b);
// The formula as it reads rows down and columns right of where it stands:
// relative rows and columns of its references move ("A1" -> "B3" for 2, 1),
// absolute ones ("$A$1") stay; a reference moved off the sheet becomes
// "#REF!". String literals, function names and sheet names are left alone.
std::string ShiftReferences(const std::string& formula, int rows, int columns);

} // namespace XlsxFormulaText
