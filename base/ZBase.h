// The shared base library in one include.
#pragma once

#include "CConfigFile.h"
#include "CDiskObject.h"
#include "CListString.h"
#include "CListStringList.h"
#include "CListStringVector.h"
#include "CMd5Digest.h"
#include "CResultSet.h"
#include "Helpers.h"
#include "LogWriter.h"
#include "ParamCoding.h"
#include "TextEncoding.h"
