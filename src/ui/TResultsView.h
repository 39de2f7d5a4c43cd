#pragma once

class QLabel;
class QPlainTextEdit;

// The controls of the results page that an export run fills.
struct TResultsView {
    QPlainTextEdit *Memo1 = nullptr;
    QLabel *HitsCount = nullptr;
    QLabel *ObjectsScanned = nullptr;
};
