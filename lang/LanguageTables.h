#pragma once
// The translation tables: language names, object rows (object path and one text per
// language) and message rows (English key and one text per language). The compiled-in
// tables are read at start-up from lang/tables/lang.inc, which is kept in exactly the
// layout the include file generator writes, so a developer regenerates them by copying a
// generated "lang.inc" over it.
//
// Invariants: text columns are numbered from 1 (1 English, 2 Czech); asking for a column the
// row does not have gives the empty text, never a read beyond the row. Closing rows of the
// include file are not rows of the tables.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QList>
#include <memory>

struct LanguageRow {
    QString key;          // object path or message key
    QStringList texts;    // texts[0] is language 1 (English), texts[1] language 2 (Czech)
    QString text(int language) const
    {
        return language >= 1 && language <= texts.size() ? texts.at(language - 1) : QString();
    }
};

struct LanguageTables {
    QStringList languages;          // index 0 "Default", 1 "English", 2 "Česky"
    QList<LanguageRow> objects;     // LLangObjects with lLangTranslations
    QList<LanguageRow> messages;    // lLangMessages

    QString languageName(int index) const
    {
        return index >= 0 && index < languages.size() ? languages.at(index) : QString();
    }

    // Reads a Pascal include file in the generator's layout (Windows-1250 bytes). Throws
    // std::runtime_error naming the fault when the text is not such a file.
    static LanguageTables parseInclude(const QByteArray& cp1250Text);
    // The tables built into the program (parsed once, on first use).
    static std::shared_ptr<const LanguageTables> compiled();
};
