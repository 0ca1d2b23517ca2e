// The delete methods of the library's script classes (in place of the ones
// tolua++ would generate, which free an interpreter-owned object twice).
#pragma once

#include "BoundObject.h"
#include "CTable.h"
#include "ExcelFile.h"

#define TOLUA_DISABLE_tolua_Taverix_CTable_delete00
#define TOLUA_DISABLE_tolua_Taverix_ExcelFile_delete00

static int tolua_Taverix_CTable_delete00(lua_State* state) {
    return DeleteBoundObject<CTable>(state, "CTable");
}

static int tolua_Taverix_ExcelFile_delete00(lua_State* state) {
    return DeleteBoundObject<ExcelFile>(state, "ExcelFile");
}
