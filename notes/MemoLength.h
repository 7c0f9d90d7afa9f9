#pragma once
// The length limit of the notes' memos, which store at most that many characters (a line
// break counts one, as it is stored as one): typed or pasted text that would go beyond it
// is refused as a whole and the memo keeps what it had; text set by the program is cut.

#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QTextCursor>
#include <algorithm>
#include <memory>

namespace notes {

inline void LimitMemoLength(QPlainTextEdit* memo, int maxLength)
{
    auto last = std::make_shared<QString>();
    QObject::connect(memo, &QPlainTextEdit::textChanged, memo, [memo, maxLength, last] {
        const QString text = memo->toPlainText();
        if (text.size() > maxLength) {
            const QString kept = memo->hasFocus() && last->size() <= maxLength ? *last : text.left(maxLength);
            // The caret goes back to where the refused text was put in.
            const qsizetype position = memo->textCursor().position() - (text.size() - kept.size());
            const QSignalBlocker block(memo);
            memo->setPlainText(kept);
            QTextCursor cursor = memo->textCursor();
            cursor.setPosition(int(std::clamp<qsizetype>(position, 0, kept.size())));
            memo->setTextCursor(cursor);
            *last = kept;
            return;
        }
        *last = text;
    });
}

}  // namespace notes
