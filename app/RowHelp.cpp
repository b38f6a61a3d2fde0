#include "RowHelp.h"

#include "RegularFile.h"
#include "TextFields.h"

#include <QFile>
#include <QLabel>

namespace quorvel {

HelpTexts ParseHelpTexts(std::streambuf &source)
{
    // Far beyond any help line: the Help box shows a few hundred characters.
    constexpr std::size_t HelpLineLimit = std::size_t{1} << 20;
    HelpTexts texts;
    FieldReader reader(source);
    for (QString &text : texts) {
        const std::optional<std::string> title = reader.readLine(HelpLineLimit);
        const std::optional<std::string> help = reader.readLine(HelpLineLimit);
        if (!title || !help)
            break;
        text = QString::fromStdString(*help);
        reader.skipNumbers(2);
    }
    return texts;
}

RowHelp::RowHelp(QString helpFilePath, QLabel *display)
    : path_(std::move(helpFilePath)), display_(display)
{}

void RowHelp::reload()
{
    // Opened by its bytes: the program folder's name need not be UTF-8.
    RegularFileSource file(QFile::encodeName(path_).toStdString());
    texts_ = file.problem().empty() ? ParseHelpTexts(file) : HelpTexts{};
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
