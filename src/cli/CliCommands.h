#pragma once

class QString;
class TDirectoryConnection;
class TDirectorySchema;
struct CliArguments;
struct TDirectoryStatus;
struct TQueryStatus;

// The commands of veltrane-cli. Each returns the exit status: 0 success, 1 a file or
// the directory stopped the work, 2 an invalid query, 130 interrupted.
namespace CliCommands {

constexpr int kSuccess = 0;
constexpr int kFailure = 1;
constexpr int kInvalid = 2;
constexpr int kInterrupted = 130;

int Run(const CliArguments &arguments);
// "sql" and "ctl": the SQL text or the import control file of a stored query.
int Render(const CliArguments &arguments);
int FromSql(const CliArguments &arguments);

// Writes one message line to standard error.
void Complain(const QString &message);
// Writes a directory report to standard error, one a line: a carriage return or line
// feed inside it becomes a blank.
void WriteReport(const QString &text);

// Opens the directory the arguments name (--directory, --tree) on connection; on failure
// says why on standard error. The exit status: kSuccess when the directory is open.
int OpenDirectory(TDirectoryConnection &connection, const CliArguments &arguments);

// The exit status of a failed step: a file that could not be read or written and a
// directory that cannot be used stop the work (1); everything else is an invalid
// query or bad usage (2).
int ExitStatusOf(const TQueryStatus &status);
int ExitStatusOf(const TDirectoryStatus &status);
// As above, except that a query found invalid after a failed read of the schema was
// stopped by the directory (1): the class or property may be missing from the reply only.
int ExitStatusOf(const TQueryStatus &status, const TDirectorySchema &schema);

} // namespace CliCommands
