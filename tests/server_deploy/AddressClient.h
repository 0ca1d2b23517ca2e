// CAddressClient: a client of the command protocol from one loopback source
// address (libcurl's CURLOPT_INTERFACE), one new connection per request as
// the real client makes them. Logs in as admin and, like the client, logs in
// again once when a command answers "deny".
#pragma once

#include <string>

class CAddressClient {
public:
    CAddressClient(const std::string& address, int port) : m_address(address), m_port(port) {}

    // One GET of the path; false on a failed transfer or a status other
    // than 200, the reason in body.
    bool Get(const std::string& pathAndQuery, std::string& body) const;
    bool Login();
    // The command with the parameter text (escaped as the client does) and
    // the session. False when the transfer failed (body holds why).
    bool Command(const std::string& cmd, const std::string& params, std::string& reply);

    const std::string& Address() const { return m_address; }
    const std::string& Session() const { return m_session; }
    int Relogins() const { return m_relogins; }

private:
    std::string m_address;
    int m_port;
    std::string m_session;
    int m_relogins = 0;
};
