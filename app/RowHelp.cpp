#include "RowHelp.h"

#include "RegularFile.h"
#include "SystemPath.h"
#include "TextFields.h"

#include <QByteArray>
#include <QLabel>

#include <iterator>

namespace quorvel {
namespace {

// Walks the help file the way its records are laid out.
class HelpCursor
{
public:
    explicit HelpCursor(const QByteArray &bytes) : bytes_(bytes) {}

    [[nodiscard]] bool atEnd() const { return pos_ >= bytes_.size(); }

    QString line()
    {
        const qsizetype start = pos_;
        while (!atEnd() && !isLineEnd(bytes_[pos_]))
            ++pos_;
        const std::string_view raw(bytes_.constData() + start,
                                   static_cast<std::size_t>(pos_ - start));
        skipLineEnd();
        return QString::fromStdString(DecodeFileText(raw));
    }

    // A number: blanks and line breaks before it skipped; it ends at a
    // comma, a blank or a line end. A comma after it is taken with it.
    void number()
    {
        while (!atEnd() && (isBlank(bytes_[pos_]) || isLineEnd(bytes_[pos_])))
            ++pos_;
        while (!atEnd() && bytes_[pos_] != ',' && !isBlank(bytes_[pos_]) &&
               !isLineEnd(bytes_[pos_]))
            ++pos_;
        while (!atEnd() && isBlank(bytes_[pos_]))
            ++pos_;
        if (!atEnd() && bytes_[pos_] == ',')
            ++pos_;
    }

    void restOfLine()
    {
        while (!atEnd() && !isLineEnd(bytes_[pos_]))
            ++pos_;
        skipLineEnd();
    }

private:
    static bool isLineEnd(char c) { return c == '\r' || c == '\n'; }
    static bool isBlank(char c) { return c == ' ' || c == '\t'; }

    void skipLineEnd()
    {
        if (atEnd())
            return;
        if (bytes_[pos_] == '\r' && pos_ + 1 < bytes_.size() && bytes_[pos_ + 1] == '\n')
            pos_ += 2;
        else
            ++pos_;
    }

    const QByteArray &bytes_;
    qsizetype pos_ = 0;
};

} // namespace

HelpTexts ParseHelpTexts(const QByteArray &bytes)
{
    HelpTexts texts;
    HelpCursor cursor(bytes);
    for (QString &text : texts) {
        if (cursor.atEnd())
            break;
        (void)cursor.line(); // the title
        if (cursor.atEnd())
            break;
        text = cursor.line();
        cursor.number();
        cursor.number();
        cursor.restOfLine();
    }
    return texts;
}

RowHelp::RowHelp(QString helpFilePath, QLabel *display)
    : path_(std::move(helpFilePath)), display_(display)
{}

void RowHelp::reload()
{
    // Opened by its bytes: the program folder's name need not be UTF-8.
    RegularFileSource file(ToSystemPath(path_));
    const std::string bytes{std::istreambuf_iterator<char>(&file), {}};
    texts_ =
        file.problem().empty() ? ParseHelpTexts(QByteArray::fromStdString(bytes)) : HelpTexts{};
    // The Help box follows an edited file at once, not only at the next cell.
    if (shown_ >= 0)
        show(shown_);
}

void RowHelp::show(int cell)
{
    shown_ = cell;
    display_->setText(text(cell));
}

const QString &RowHelp::text(int cell) const
{
    static const QString none;
    return cell >= 0 && cell < HelpRecordCount ? texts_[static_cast<std::size_t>(cell)] : none;
}

} // namespace quorvel
