// MakeRandomToken: the decimal text of a process-wide token counter followed
// by n random characters of "_0-9a-zA-Z_" (from the kernel's CSPRNG). The
// session table's SessionIds and the paged queries' SlotIds share this one
// counter, so their prefixes never repeat within a run.
#pragma once

#include <string>

std::string MakeRandomToken(int n);
