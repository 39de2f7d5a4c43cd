#pragma once

#include <QString>
#include <QTextCursor>

class QTextDocument;
class TGapText;

// One replace request of the replace dialog on a results text. ReplaceNext replaces the
// first occurrence of the find text in the whole text, searched exactly (letter case
// counts) from the beginning; ReplaceAll repeats it until none is left. Occurrences
// are looked for within lines (a find text holding a line break is never
// found), so the document's positions stand for those of the text with its lines joined
// by CR LF; a line break in the replace text makes a new line.
//
// A replacement can make new occurrences, so the request stops with Loop() set:
// - when the occurrence found is where the previous replacement was made;
// - after the first replacement when the replace text holds the find text, since the
//   text then never runs out of occurrences;
// - when replacements keep making occurrences of their own: after n * n replacements
//   for a text of n characters, and never fewer than n, but no more than a million
//   (one replacement can move an occurrence one place, as ab by ba does, so a chain
//   that ends may need as many as n * n / 4).
// Replacements made before the loop was seen stay in the text.
class TReplaceRequest
{
public:
    // The document must outlive the request.
    TReplaceRequest(QTextDocument &document, const QString &findText, const QString &replaceText);

    // Replaces the first occurrence; false when there is none or when the request loops.
    // An empty find text is never found.
    bool ReplaceNext() { return Replace(1) == 1; }
    // Replaces every occurrence; the count of replacements. Like each ReplaceNext, it
    // changes the document in one edit, so that one undo restores the text.
    int ReplaceAll() { return Replace(-1); }
    bool Loop() const { return loop_; }
    // Where the last replacement ended, without a selection.
    QTextCursor Cursor() const { return cursor_; }

private:
    // Makes up to most replacements (no limit when negative) on a copy of the text, then
    // puts the changed part back into the document; the count made.
    int Replace(int most);
    // Puts the lines of text between the positions from and to back into the document,
    // where they differ; the replacements kept the number of lines.
    void PutBackLines(TGapText &text, qsizetype from, qsizetype to);

    QTextDocument &document_;
    QString find_;
    QString replace_;
    QTextCursor cursor_;
    bool replaceHoldsFind_;
    qsizetype limit_;
    qsizetype count_ = 0;
    qsizetype lastPosition_ = -1;
    // No occurrence starts before this position: the text before the last replacement
    // held none, so a new one must reach into the replaced part.
    qsizetype searchFrom_ = 0;
    bool loop_ = false;
};
