#pragma once

#include <cstdint>
#include <map>
#include <optional>

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "res/StringTable.h"

namespace nemora::app {

// The program's help file: topics by context number. The file is UTF-8
// text; a line "@ <context> <title>" starts a topic, the lines after it are
// the topic's text in Markdown, and its first paragraph is the short text
// that a popup shows. A line "title: <text>" before the first topic names the
// help window; lines starting with "#" there are comments. Links between
// topics are written "topic:<context>".
class HelpFile {
public:
    struct Topic {
        std::uint32_t context = 0;
        QString title;
        QString text;       // the whole text, Markdown
        QString shortText;  // its first paragraph
    };

    static std::optional<HelpFile> Load(const QString& path);
    static std::optional<HelpFile> Parse(const QByteArray& bytes);

    // The help file of an executable: its path with the extension of the
    // file name (from the last dot) replaced by ".HLP", or ".HLP" added when
    // the name has none.
    static QString PathFor(const QString& executable);

    // Where the running program looks, in order: beside the executable, then
    // in the installed data folder under the executable's name.
    static QStringList Candidates(const QString& executable, const QStringList& dataFolders);
    // The candidates for a reader of `language`: for English, each place's
    // English help ("nemora.en.HLP") first, then the same places' Japanese
    // help, so a missing English file still leaves help to show.
    static QStringList ForLanguage(const QStringList& candidates, res::Language language);

    const QString& Title() const { return title_; }
    const Topic* Find(std::uint32_t context) const;
    const std::map<std::uint32_t, Topic>& Topics() const { return topics_; }

private:
    QString title_;
    std::map<std::uint32_t, Topic> topics_;
};

}  // namespace nemora::app
