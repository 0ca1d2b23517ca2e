// The 22 commands of the data-service protocol: one handler per command,
// each filling the request's reply, and the dispatcher that checks sessions.
#pragma once

#include "CCommandRequest.h"
#include "CServerState.h"

#include <string>
#include <vector>

class CResultSet;

typedef void (*CommandHandler)(CServerState& state, CCommandRequest& request);

// The command names in the order they are defined.
const std::vector<std::string>& CommandNames();
// Runs the named command (session check included) under the server mutex,
// a query or statement only for its session check unless the commit type
// is 0; false when no command has the name.
bool DispatchCommand(CServerState& state, const std::string& name, CCommandRequest& request);

void HandleVersion(CServerState& state, CCommandRequest& request);
void HandleExecCommand(CServerState& state, CCommandRequest& request);
void HandleSelect2(CServerState& state, CCommandRequest& request);
void HandleSelect(CServerState& state, CCommandRequest& request);
void HandleDesc(CServerState& state, CCommandRequest& request);
void HandleSelectPrepare(CServerState& state, CCommandRequest& request);
void HandleSelectNext(CServerState& state, CCommandRequest& request);
void HandleSelectFinish(CServerState& state, CCommandRequest& request);
void HandleExecSql(CServerState& state, CCommandRequest& request);
void HandleExecSqlPrepare(CServerState& state, CCommandRequest& request);
void HandleExecSqlGo(CServerState& state, CCommandRequest& request);
void HandleWebLogin(CServerState& state, CCommandRequest& request);
void HandleWebLogout(CServerState& state, CCommandRequest& request);
void HandleSetTime(CServerState& state, CCommandRequest& request);
void HandleGetTime(CServerState& state, CCommandRequest& request);
void HandleExecUserFunc(CServerState& state, CCommandRequest& request);
void HandleReloadUserFunc(CServerState& state, CCommandRequest& request);
void HandleUnloadUserFunc(CServerState& state, CCommandRequest& request);
void HandleGetConfig(CServerState& state, CCommandRequest& request);
void HandleGetUserConfig(CServerState& state, CCommandRequest& request);
void HandleSessionCount(CServerState& state, CCommandRequest& request);
void HandleSendMyMessage(CServerState& state, CCommandRequest& request);

// Helpers shared by the handlers.
std::string ErrorReply(const CServerState& state, const std::string& message);
int ClampRowCount(int rows);
// Decodes ParamBase64 text. A text holding a NUL character is refused: a C
// text would end there, so its meaning would depend on who reads it.
enum DecodeResult { kDecoded, kInvalidCoding, kHoldsNul };
DecodeResult DecodeCoded(const std::string& coded, std::string& text);
// The decoded `sql` variable; false after writing the error reply.
bool ReadSql(CServerState& state, CCommandRequest& request, std::string& sql);
// The rows of the set as ResultText with the configured separators, the
// header line first when asked.
void WriteResultSet(const CServerState& state, const CResultSet& result, CCommandRequest& request,
                    bool header);
// Loads the configured plug-in library ("<dir>/plugin/<user_plugin>").
bool LoadConfiguredPlugin(CServerState& state);
