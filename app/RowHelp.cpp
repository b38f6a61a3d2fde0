#include "RowHelp.h"

#include "TextFields.h"

#include <QFile>
#include <QLabel>

namespace quorvel {

HelpTexts ParseHelpTexts(FieldReader &reader)
{
    // Far beyond any help line: the Help box shows a few hundred characters.
    constexpr std::size_t HelpLineLimit = std::size_t{1} << 20;
    HelpTexts texts;
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
    QFile file(path_);
    FieldReader reader(file);
    texts_ = OpenRegularFile(file).isEmpty() ? ParseHelpTexts(reader) : HelpTexts{};
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
