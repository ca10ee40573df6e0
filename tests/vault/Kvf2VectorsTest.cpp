// The hardened format against files made by an independent implementation: each opens under the
// given password with the expected accounts, kept line and parameters, its seal intact.

#include "Kvf2TestSupport.h"
#include "platform/Codepage.h"
#include "vault/Kvf2File.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace {

const std::string VectorFolder = std::string(KESTOVAR_TEST_DATA_DIR) + "/kvf2/";

QJsonObject Expected() {
    QFile file(QString::fromStdString(VectorFolder + "expected.json"));
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read expected.json");
    return QJsonDocument::fromJson(file.readAll()).object();
}

std::string Password() {
    return QByteArray::fromHex(Expected()[u"password_windows1252_hex"].toString().toLatin1())
        .toStdString();
}

std::string Ansi(const QJsonValue& value) {
    return QStringToAnsi(value.toString());
}

class Kvf2Vectors : public testing::TestWithParam<const char*> {};

TEST_P(Kvf2Vectors, OpenWithTheExpectedAccountsKeptLinesAndParameters) {
    const QJsonObject expected = Expected()[QLatin1String(GetParam())].toObject();
    const TKvf2OpenedFile file = OpenKvf2File(VectorFolder + GetParam(), Password());
    ASSERT_EQ(file.Result, TKvf2OpenResult::Opened);
    EXPECT_TRUE(file.Header.TailIntact);
    EXPECT_TRUE(file.Seal.Intact);
    EXPECT_TRUE(file.Scan.Damaged.empty());

    const QJsonArray params = expected[u"params"].toArray();
    EXPECT_EQ(file.Session.KeyParams(),
              (TKvf2Params{static_cast<std::uint32_t>(params[0].toInt()),
                           static_cast<std::uint32_t>(params[1].toInt())}));

    std::vector<TPassRecord> accounts;
    for (const QJsonValue& account : expected[u"accounts"].toArray()) {
        const QJsonArray fields = account.toArray();
        accounts.push_back({Ansi(fields[0]), Ansi(fields[1]), Ansi(fields[2]), Ansi(fields[3])});
    }
    EXPECT_EQ(AccountsOf(file), accounts);
    for (std::size_t i = 0; i < file.Scan.Accounts.size(); ++i)
        EXPECT_EQ(file.Scan.Accounts[i].Name, accounts[i].Account);

    std::vector<std::string> kept;
    for (const QJsonValue& hex : expected[u"kept_lines_hex"].toArray())
        kept.push_back(FromHex(hex.toString().toStdString()));
    ASSERT_EQ(file.Scan.Kept.size(), kept.size());
    TKvf2Codec codec(file.Session.Keys(), file.Session.Header().Id);
    for (std::size_t i = 0; i < kept.size(); ++i)
        EXPECT_EQ(codec.DecodeKept(file.Text.Lines[static_cast<std::size_t>(file.Scan.Kept[i])]),
                  kept[i]);
}

TEST_P(Kvf2Vectors, SavedUnchangedGiveTheSameBytes) {
    TTempFolder folder;
    const std::string copy = folder.File("copy.kvf");
    const TKvf2OpenedFile file = OpenKvf2File(VectorFolder + GetParam(), Password());
    ASSERT_EQ(file.Result, TKvf2OpenResult::Opened);
    WriteKvf2File(copy, file.Session, file.Text.Lines);
    EXPECT_EQ(ReadBytes(copy), ReadBytes(VectorFolder + GetParam()));
}

TEST_P(Kvf2Vectors, RefuseAnotherPassword) {
    std::string password = Password();
    password.back() = '8';
    EXPECT_EQ(OpenKvf2File(VectorFolder + GetParam(), password).Result,
              TKvf2OpenResult::WrongPassword);
}

INSTANTIATE_TEST_SUITE_P(SharedFiles, Kvf2Vectors,
                         testing::Values("three-accounts.kvf", "empty.kvf", "two-passes-16mib.kvf"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             std::string name = info.param;
                             name.resize(name.find('.'));
                             std::erase(name, '-');
                             return name;
                         });

} // namespace
