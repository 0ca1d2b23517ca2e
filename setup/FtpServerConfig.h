// The FileZilla Server configuration written from its template beside the
// program.
#pragma once

// Reads "ftp_tmp.xml", puts the server's document root in place of every
// "$INSTALL_PATH" and writes "FileZilla Server.xml" as UTF-8 with a
// byte-order mark and CR LF line ends. When the template cannot be read or
// the file cannot be written, an existing configuration stays as it was.
// True when the configuration was written.
bool WriteFtpServerConfig();
