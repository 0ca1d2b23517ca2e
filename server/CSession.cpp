#include "CSession.h"

bool CSession::SetParam(const std::string& name, int type, const std::string& value) {
    for (CSessionParam& p : params) {
        if (p.name == name) {
            p.value += value;
            return true;
        }
    }
    params.push_back(CSessionParam{name, value, type});
    return true;
}

bool CSession::IsExpired(time_t now, int lifetime) const {
    return now - lastUse >= lifetime;
}
