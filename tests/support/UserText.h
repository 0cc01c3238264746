#pragma once

// Text as people type it into a task manager, for the libraries that benchmarks measure: titles that start with a
// capital and carry digits and punctuation, most in English and one in five in another language (French, German,
// Spanish, Polish, Russian, Greek, Chinese, Japanese, Korean, Hebrew, Arabic), some English ones with an accented name,
// curled quotes or a symbol, so that a third hold a character outside ASCII; notes of 100 to 400 characters, mostly in
// the title's language, with addresses, numbers and short lists; names of projects, areas, tags and people of the
// lengths people give them. The same seed gives the same text.
//
//   knvt::test::UserText text(42);
//   text.taskTitle();          // "Email Zoë the signed contract by Friday"
//   text.taskNotes();          // "Ask about the warranty before signing anything. Reference number: QX-20931-B. ..."

#include <QString>

#include <random>

namespace knvt::test {

class UserText
{
public:
    // Cached libraries name this in their folder, so that a change to the text makes them again.
    static constexpr int kVersion = 1;

    explicit UserText(quint64 seed) : m_random(seed) {}

    // A title; the language it chose is the one the following taskNotes() writes in.
    QString taskTitle();
    // Between 100 and 400 characters.
    QString taskNotes();
    QString projectTitle();
    QString areaTitle();
    QString tagTitle();
    QString givenName();
    QString familyName();
    // A sentence or two.
    QString comment();

private:
    enum class Language {
        English,
        French,
        German,
        Spanish,
        Polish,
        Russian,
        Greek,
        Chinese,
        Japanese,
        Korean,
        Hebrew,
        Arabic
    };

    qint64 below(qint64 n) { return qint64(m_random() % quint64(n)); }
    bool chance(int percent) { return below(100) < percent; }
    template <class List>
    QString pick(const List &list)
    {
        return QString::fromUtf8(list[below(qint64(std::size(list)))]);
    }
    Language pickLanguage();
    QString englishTitle();
    QString fill(QString pattern);
    QString sentence(Language language);
    QString numbered(QString title, int percent);

    std::mt19937_64 m_random;
    Language m_language = Language::English;
    int m_lists = 0;
    int m_tags = 0;
};

} // namespace knvt::test
