#include "CommandLineCases.h"

#include <QtTest>

// The tables live apart from the test class: moc misreads some of these raw strings.

void addSplitRows() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("plain") << "prog a b" << QStringList{"prog", "a", "b"};
    QTest::newRow("blanks and tabs") << "prog a  \t b " << QStringList{"prog", "a", "b"};
    QTest::newRow("quoted program with spaces")
        << R"("C:\Program Files\x.exe" a)" << QStringList{R"(C:\Program Files\x.exe)", "a"};
    QTest::newRow("program name keeps backslash-quote")
        << R"(prog\"x y)" << QStringList{R"(prog\"x)", "y"};
    QTest::newRow("text right after quoted program")
        << R"("prog name"x y)" << QStringList{"prog name", "x", "y"};
    QTest::newRow("quoted argument") << R"(prog "a b" c)" << QStringList{"prog", "a b", "c"};
    QTest::newRow("quotes inside a word") << R"(prog a"b c"d)" << QStringList{"prog", "ab cd"};
    QTest::newRow("escaped quote") << R"(prog "a\"b")" << QStringList{"prog", R"(a"b)"};
    QTest::newRow("backslashes not before a quote")
        << R"(prog a\\b c\)" << QStringList{"prog", R"(a\\b)", R"(c\)"};
    QTest::newRow("2n backslashes, quote opens")
        << R"(prog a\\\\"b c")" << QStringList{"prog", R"(a\\b c)"};
    QTest::newRow("2n+1 backslashes, literal quote")
        << R"(prog a\\\"b)" << QStringList{"prog", R"(a\"b)"};
    QTest::newRow("empty argument") << R"(prog "" x)" << QStringList{"prog", "", "x"};
    QTest::newRow("doubled quote inside quotes ends them")
        << R"(prog "a b""c d")" << QStringList{"prog", R"(a b"c)", "d"};
    QTest::newRow("three quotes outside") << R"(prog """a")" << QStringList{"prog", R"("a)"};
    QTest::newRow("unterminated quote") << R"(prog "a b)" << QStringList{"prog", "a b"};
    QTest::newRow("empty line") << "" << QStringList{};
}

void addRoundTripRows() {
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("plain") << QStringList{"a", "b"};
    QTest::newRow("blanks") << QStringList{"a b", "tab\there", "new\nline"};
    QTest::newRow("empty") << QStringList{"", "x", ""};
    QTest::newRow("quotes") << QStringList{R"(a"b)", R"(")", R"("")", R"(say "hi")"};
    QTest::newRow("backslashes") << QStringList{R"(C:\Program Files\)", R"(a\)", R"(a\\)",
                                                R"(a\"b)", R"(a\\" b)"};
}
