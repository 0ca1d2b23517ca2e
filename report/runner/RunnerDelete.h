// The delete methods of the runner's script classes (in place of the ones
// tolua++ would generate, which free an interpreter-owned object twice).
#pragma once

#include "BoundObject.h"
#include "RunnerTypes.h"

#define TOLUA_DISABLE_tolua_Runner_CTable_delete00
#define TOLUA_DISABLE_tolua_Runner_ExcelFile_delete00

static int tolua_Runner_CTable_delete00(lua_State* state) {
    return DeleteBoundObject<CTable>(state, "CTable");
}

static int tolua_Runner_ExcelFile_delete00(lua_State* state) {
    return DeleteBoundObject<ExcelFile>(state, "ExcelFile");
}
