#pragma once
// The tool's exit codes: the classes of failure mail tools share (sysexits), so that scripts can
// tell a wrong password from a network failure.
namespace qelmail_tool {

enum TExitCode : int {
    ExitOk = 0,
    ExitFailure = 1,       // a failure of no other class
    ExitUsage = 64,        // a command-line mistake
    ExitDataErr = 65,      // the server refused the data: a rejected recipient, sender or message
    ExitNoInput = 66,      // an input file cannot be read
    ExitNoHost = 68,       // the host name is unknown or unreachable
    ExitUnavailable = 69,  // no service: connection refused, the server declined the session
    ExitCantCreate = 73,   // an output file or folder cannot be written
    ExitTempFail = 75,     // try again later: time-outs, dropped connections, 4xx replies
    ExitProtocol = 76,     // the server said something impossible
    ExitNoPerm = 77,       // authentication failed
};

// The exit codes explained, for the help texts.
inline constexpr const char* ExitCodesHelp =
    "exit codes: 0 done; 1 other failure; 64 command-line mistake; 65 data refused by the server\n"
    "  (sender, recipient, message); 66 input file unreadable; 68 unknown or unreachable host;\n"
    "  69 service unavailable (connection refused, server declined); 73 output not writable;\n"
    "  75 temporary failure (time-out, dropped connection, 4xx reply); 76 protocol error;\n"
    "  77 authentication or logon failed\n";

}  // namespace qelmail_tool
