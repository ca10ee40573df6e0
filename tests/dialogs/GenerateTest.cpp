#include "dialogs/generate.h"
#include "DialogTestSupport.h"
#include "PassphraseWords.h"
#include "dialogs/StrengthText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include <algorithm>
#include <cctype>
#include <sstream>

namespace {

bool HasAny(const std::string& text, int (*is)(int)) {
    return std::any_of(text.begin(), text.end(), [is](char ch) { return is(ch) != 0; });
}

// Printable ASCII that is neither a letter nor a digit.
int IsSymbol(int ch) {
    return std::ispunct(ch);
}

TEST(GenerateDialog, TheChosenLengthAndClassesAreHonouredAndOnlyOKGivesThePassword) {
    TfrmGenerate form;
    auto* length = Child<QSpinBox>(form, "spnLength");
    auto* preview = Child<QLineEdit>(form, "edtPreview");
    auto* strength = Child<QLabel>(form, "lblStrength");
    auto* ok = Child<QPushButton>(form, "btnOK");
    ASSERT_TRUE(length && preview && strength && ok);
    EXPECT_EQ(length->value(), 20);
    EXPECT_EQ(form.Password().size(), 20u);

    const struct {
        int length;
        bool upper, lower, digits, symbols;
    } cases[] = {{8, false, false, true, false},
                 {48, true, false, false, true},
                 {12, false, true, true, false},
                 {1, true, true, true, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
        Child<QCheckBox>(form, "chkUpper")->setChecked(c.upper);
        Child<QCheckBox>(form, "chkLower")->setChecked(c.lower);
        Child<QCheckBox>(form, "chkDigits")->setChecked(c.digits);
        Child<QCheckBox>(form, "chkSymbols")->setChecked(c.symbols);
        length->setValue(c.length);
        const std::string password = form.Password();
        ASSERT_EQ(password.size(), static_cast<std::size_t>(c.length));
        for (const char ch : password)
            EXPECT_TRUE((c.upper && std::isupper(ch)) || (c.lower && std::islower(ch)) ||
                        (c.digits && std::isdigit(ch)) || (c.symbols && IsSymbol(ch)))
                << password;
        if (c.length >= 4) { // long enough for every chosen class to appear
            EXPECT_EQ(HasAny(password, &isupper), c.upper);
            EXPECT_EQ(HasAny(password, &islower), c.lower);
            EXPECT_EQ(HasAny(password, &isdigit), c.digits);
            EXPECT_EQ(HasAny(password, &IsSymbol), c.symbols);
        }
        EXPECT_TRUE(strength->text().startsWith("Strength: ")) << strength->text().toStdString();
    }

    // Nothing to draw from: no password, and OK cannot give one.
    for (const char* name : {"chkUpper", "chkLower", "chkDigits", "chkSymbols"})
        Child<QCheckBox>(form, name)->setChecked(false);
    EXPECT_TRUE(form.Password().empty());
    EXPECT_FALSE(ok->isEnabled());

    Child<QCheckBox>(form, "chkDigits")->setChecked(true);
    length->setValue(16);
    const std::string first = form.Password();
    QTest::mouseClick(Child<QPushButton>(form, "btnFresh"), Qt::LeftButton);
    EXPECT_NE(form.Password(), first); // 10^16 to 1 against a repeat

    const TModalRun cancelled = RunModal(form, [&] { QTest::keyClick(&form, Qt::Key_Escape); });
    EXPECT_EQ(cancelled.Result, QDialog::Rejected);
    EXPECT_TRUE(form.Password().empty());
}

TEST(GenerateDialog, LookAlikesAreLeftOutWhenAsked) {
    TfrmGenerate form;
    Child<QCheckBox>(form, "chkLookAlikes")->setChecked(true);
    Child<QSpinBox>(form, "spnLength")->setValue(48);
    for (int round = 0; round < 20; ++round) {
        QTest::mouseClick(Child<QPushButton>(form, "btnFresh"), Qt::LeftButton);
        EXPECT_EQ(form.Password().find_first_of("0Oo1lI|"), std::string::npos) << form.Password();
    }
    const TModalRun accepted = RunModal(form, [&] { QTest::keyClick(&form, Qt::Key_Return); });
    EXPECT_EQ(accepted.Result, QDialog::Accepted);
    EXPECT_EQ(form.Password().size(), 48u);
}

// The words of a passphrase, split at a one-character separator that no word holds.
std::vector<std::string> WordsOf(const std::string& passphrase, char separator) {
    std::vector<std::string> words;
    std::stringstream in(passphrase);
    for (std::string word; std::getline(in, word, separator);)
        words.push_back(word);
    return words;
}

TEST(GenerateDialog, WordsMakeAPassphraseOfTheChosenShapeAndStrength) {
    TfrmGenerate form;
    auto* words = Child<QRadioButton>(form, "rdoWords");
    auto* count = Child<QSpinBox>(form, "spnWords");
    auto* separator = Child<QComboBox>(form, "cmbSeparator");
    auto* capital = Child<QCheckBox>(form, "chkCapital");
    auto* digit = Child<QCheckBox>(form, "chkDigit");
    auto* strength = Child<QLabel>(form, "lblStrength");
    ASSERT_TRUE(words && count && separator && capital && digit && strength);
    for (QWidget* control : std::initializer_list<QWidget*>{
             words, Child<QRadioButton>(form, "rdoCharacters"), count, separator, capital, digit})
        EXPECT_FALSE(AccessibleName(control).isEmpty()) << control->objectName().toStdString();
    EXPECT_FALSE(count->isVisibleTo(&form)); // characters first, as before

    QTest::mouseClick(words, Qt::LeftButton);
    EXPECT_TRUE(form.WordsChosen());
    EXPECT_TRUE(count->isVisibleTo(&form));
    EXPECT_FALSE(Child<QSpinBox>(form, "spnLength")->isVisibleTo(&form));
    EXPECT_TRUE(JoinsWords(form.Password(), 6)) << form.Password();
    EXPECT_EQ(strength->text(), "Strength: 78 bits"); // 6 × log2(7776)

    const struct {
        int words;
        int separatorRow;
        char split;
        bool capital, digit;
        const char* strength;
    } cases[] = {{3, 1, ' ', false, false, "Strength: 39 bits"},
                 {8, 2, '.', true, false, "Strength: 103 bits"},
                 {5, 3, '_', true, true, "Strength: 70 bits"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.words);
        count->setValue(c.words);
        separator->setCurrentIndex(c.separatorRow);
        capital->setChecked(c.capital);
        digit->setChecked(c.digit);
        const std::string passphrase = form.Password();
        const std::vector<std::string> parts = WordsOf(passphrase, c.split);
        ASSERT_EQ(parts.size(), static_cast<std::size_t>(c.words)) << passphrase;
        EXPECT_EQ(std::isupper(static_cast<unsigned char>(parts[0][0])) != 0, c.capital);
        EXPECT_EQ(std::count_if(passphrase.begin(), passphrase.end(),
                                [](char ch) { return std::isdigit(ch) != 0; }),
                  c.digit ? 1 : 0)
            << passphrase;
        EXPECT_EQ(strength->text(), c.strength);
    }
    separator->setCurrentIndex(4); // none: the words run together
    EXPECT_EQ(form.Password().find_first_of(" -._"), std::string::npos) << form.Password();

    // Back to characters: the length rules again.
    QTest::mouseClick(Child<QRadioButton>(form, "rdoCharacters"), Qt::LeftButton);
    EXPECT_EQ(form.Password().size(), 20u);
    QTest::mouseClick(words, Qt::LeftButton);
    const TModalRun accepted = RunModal(form, [&] { QTest::keyClick(&form, Qt::Key_Return); });
    EXPECT_EQ(accepted.Result, QDialog::Accepted);
    EXPECT_GE(form.Password().size(), 5u * 3);
}

} // namespace

namespace {

// zxcvbn's estimate stands beside the rules' figure and follows every change of the password: a
// short run of digits falls in a lower range than a long password of every class.
TEST(GenerateDialog, ZxcvbnsEstimateOfTheShownPasswordFollowsEveryChange) {
    TfrmGenerate form;
    auto* estimate = Child<QLabel>(form, "lblEstimate");
    ASSERT_NE(estimate, nullptr);
    const auto check = [&](TStrengthLevel least, TStrengthLevel most) {
        EXPECT_EQ(
            estimate->text(),
            QStringLiteral("(zxcvbn estimates %1)").arg(PasswordStrengthText(form.Password())));
        const TStrengthLevel level = EstimateStrength(form.Password()).Level;
        EXPECT_TRUE(level >= least && level <= most) << estimate->text().toStdString();
    };
    check(TStrengthLevel::Good, TStrengthLevel::Excellent); // 20 characters of every class
    for (const char* name : {"chkUpper", "chkLower", "chkSymbols"})
        Child<QCheckBox>(form, name)->setChecked(false);
    Child<QSpinBox>(form, "spnLength")->setValue(4);
    check(TStrengthLevel::Poor, TStrengthLevel::Poor);
    Child<QRadioButton>(form, "rdoWords")->setChecked(true);
    check(TStrengthLevel::Weak, TStrengthLevel::Excellent);
    Child<QRadioButton>(form, "rdoCharacters")->setChecked(true);
    Child<QCheckBox>(form, "chkDigits")->setChecked(false);
    EXPECT_EQ(estimate->text(), "") << "no password, no estimate";
}

} // namespace
