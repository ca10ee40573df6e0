// The commands that kestovar-cli runs are the ones its shell completions offer and its manual
// page describes: the help, made from the one command table, is compared with each of them.

#include <QProcess>
#include <QRegularExpression>
#include <QString>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>
#include <string>

namespace {

using TNames = std::set<std::string>;

std::string FileText(const char* name) {
    std::ifstream in(std::string(KESTOVAR_DIST_DIR) + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TNames Captured(const std::string& text, const char* pattern) {
    TNames names;
    const QRegularExpression expression(QString::fromLatin1(pattern),
                                        QRegularExpression::MultilineOption);
    for (const QRegularExpressionMatch& match :
         expression.globalMatch(QString::fromStdString(text)))
        names.insert(match.captured(1).toStdString());
    return names;
}

// The commands of `kestovar-cli --help`: the indented lines after "Commands:".
TNames HelpCommands() {
    QProcess process;
    process.start(QStringLiteral(KESTOVAR_CLI), {QStringLiteral("--help")});
    process.waitForFinished(60000);
    const std::string help = process.readAllStandardOutput().toStdString();
    const auto list = help.find("Commands:\n");
    if (list == std::string::npos)
        return {};
    return Captured(help.substr(list, help.find("\n\n", list) - list), R"(^  ([a-z]+) )");
}

// The words of bash's `commands="..."` and `commands+=" ..."`.
TNames BashCommands() {
    TNames names;
    for (const std::string& words :
         Captured(FileText("completion/kestovar-cli.bash"), R"re(commands\+?="([a-z ]+)")re")) {
        for (const QString& word : QString::fromStdString(words).split(u' ', Qt::SkipEmptyParts))
            names.insert(word.toStdString());
    }
    return names;
}

TEST(CommandListTest, CompletionsAndManualPageNameEveryCommandAndNoOther) {
    const TNames commands = HelpCommands();
    ASSERT_EQ(commands.size(), 18u);
    EXPECT_EQ(BashCommands(), commands);
    EXPECT_EQ(Captured(FileText("completion/_kestovar-cli"), R"(^        '([a-z]+):)"), commands);
    EXPECT_EQ(Captured(FileText("kestovar-cli.1"), R"(^\.B kestovar-cli ([a-z]+)$)"), commands);
}

} // namespace
