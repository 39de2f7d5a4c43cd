#pragma once

#include "query/ResultsEncoding.h"

#include <QSaveFile>
#include <QString>

#include <memory>

// Where a command writes its result: the -o file, written whole or not at all (the
// file appears only on Commit), or standard output.
class CliOutput
{
public:
    // path empty: standard output. The text is written in encoding.
    explicit CliOutput(const QString &path, TResultsEncoding encoding = TResultsEncoding::Utf8);
    ~CliOutput();

    // Opens the output; false with Error() set when it cannot be.
    bool Open();
    // Writes the text in the output's encoding; false once anything could not be
    // written, or a character could not be encoded (Error() names its line and column).
    bool Write(const QString &text);
    // Makes the written text the output's content; false with Error() set on failure.
    bool Commit();
    // Drops what was written: the -o file is left as it was.
    void Discard();

    const QString &Error() const { return error_; }

private:
    QString path_;
    TResultsEncoder encoder_;
    bool started_ = false;
    std::unique_ptr<QSaveFile> file_;
    bool failed_ = false;
    QString error_;
};
