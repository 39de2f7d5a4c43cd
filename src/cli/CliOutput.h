#pragma once

#include <QSaveFile>
#include <QString>

#include <memory>

// Where a command writes its result: the -o file, written whole or not at all (the
// file appears only on Commit), or standard output.
class CliOutput
{
public:
    // path empty: standard output.
    explicit CliOutput(const QString &path);
    ~CliOutput();

    // Opens the output; false with Error() set when it cannot be.
    bool Open();
    // Writes the text as UTF-8; false once anything could not be written.
    bool Write(const QString &text);
    // Makes the written text the output's content; false with Error() set on failure.
    bool Commit();
    // Drops what was written: the -o file is left as it was.
    void Discard();

    const QString &Error() const { return error_; }

private:
    QString path_;
    std::unique_ptr<QSaveFile> file_;
    bool failed_ = false;
    QString error_;
};
