#include "app/help/HelpFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace nemora::app {
namespace {

void Finish(HelpFile::Topic& topic, const QStringList& lines) {
    topic.text = lines.join('\n').trimmed();
    const qsizetype end = topic.text.indexOf(QStringLiteral("\n\n"));
    topic.shortText = (end < 0 ? topic.text : topic.text.left(end)).trimmed();
}

}  // namespace

std::optional<HelpFile> HelpFile::Load(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    return Parse(file.readAll());
}

std::optional<HelpFile> HelpFile::Parse(const QByteArray& bytes) {
    static const QRegularExpression header(QStringLiteral("^@\\s*(\\d+)\\s+(.*)$"));
    HelpFile file;
    std::optional<Topic> topic;
    QStringList lines;
    const QStringList all = QString::fromUtf8(bytes).split('\n');
    for (const QString& raw : all) {
        const QString line = raw.endsWith('\r') ? raw.chopped(1) : raw;
        const QRegularExpressionMatch match = header.match(line);
        if (match.hasMatch()) {
            if (topic) {
                Finish(*topic, lines);
                file.topics_[topic->context] = *topic;
            }
            bool ok = false;
            const std::uint32_t context = match.captured(1).toUInt(&ok);
            if (!ok || file.topics_.count(context)) return std::nullopt;
            topic = Topic{context, match.captured(2).trimmed(), {}, {}};
            lines.clear();
        } else if (topic) {
            lines.append(line);
        } else if (line.startsWith(QStringLiteral("title:"))) {
            file.title_ = line.mid(6).trimmed();
        } else if (!line.trimmed().isEmpty() && !line.startsWith('#')) {
            return std::nullopt;
        }
    }
    if (topic) {
        Finish(*topic, lines);
        file.topics_[topic->context] = *topic;
    }
    if (file.topics_.empty()) return std::nullopt;
    return file;
}

QString HelpFile::PathFor(const QString& executable) {
    const QFileInfo info(executable);
    const QString name = info.fileName();
    const qsizetype dot = name.lastIndexOf('.');
    const QString base = dot < 0 ? name : name.left(dot);
    return QDir(info.path()).filePath(base + QStringLiteral(".HLP"));
}

QStringList HelpFile::Candidates(const QString& executable, const QStringList& dataFolders) {
    QStringList paths{PathFor(executable)};
    const QString name = QFileInfo(PathFor(executable)).fileName();
    for (const QString& folder : dataFolders) {
        if (folder.isEmpty()) continue;
        const QString path = QDir::cleanPath(QDir(folder).filePath(name));
        if (!paths.contains(path)) paths.append(path);
    }
    return paths;
}

QStringList HelpFile::ForLanguage(const QStringList& candidates, res::Language language) {
    if (language != res::Language::English) return candidates;
    const QString extension = QStringLiteral(".HLP");
    QStringList paths;
    for (const QString& path : candidates) {
        if (path.endsWith(extension))
            paths.append(path.chopped(extension.size()) + QStringLiteral(".en") + extension);
    }
    return paths + candidates;
}

const HelpFile::Topic* HelpFile::Find(std::uint32_t context) const {
    const auto found = topics_.find(context);
    return found == topics_.end() ? nullptr : &found->second;
}

}  // namespace nemora::app
