// vCard files in the shapes phones and address books export, and files no exporter writes.
#include "callers/VCardReader.h"

#include <gtest/gtest.h>

namespace {

using VCardReader::Contact;

struct Case
{
    const char *what;
    QByteArray file;
    QList<Contact> contacts;
    int skipped = 0;
};

TEST(VCardReaderTest, ReadsTheShapesExportersWrite)
{
    const Case cases[] = {
        {"2.1 with quoted-printable UTF-8 and a soft line break (Android)",
         "BEGIN:VCARD\r\nVERSION:2.1\r\n"
         "N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:M=C3=BCller;J=C3=BCrgen;;;\r\n"
         "FN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:J=C3=BCrgen M=C3=BC=\r\nller\r\n"
         "TEL;CELL;PREF:+49 170 1234567\r\nTEL;HOME:030 123456\r\nEND:VCARD\r\n",
         {{QString::fromUtf8("J\xC3\xBCrgen M\xC3\xBCller"), {"+49 170 1234567", "030 123456"}}}},
        {"2.1 with a bare QUOTED-PRINTABLE parameter and only N",
         "BEGIN:VCARD\nVERSION:2.1\nN;QUOTED-PRINTABLE;CHARSET=ISO-8859-1:Ni=F1o;Jos=E9;;Dr.;\n"
         "TEL;WORK;VOICE:(555) 123-4567\nEND:VCARD\n",
         {{QString::fromUtf8("Dr. Jos\xC3\xA9 Ni\xC3\xB1o"), {"(555) 123-4567"}}}},
        {"3.0 folded with a space and a tab, grouped TEL, escapes (macOS Contacts)",
         "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Smith;Anne;;;\r\nFN:Anne \r\n Smith\\, Q\r\n\t.C.\r\n"
         "item1.TEL;type=CELL;type=pref:+44 20 \r\n 7946 0018\r\n"
         "TEL;TYPE=HOME:020 7946 0018\r\nTEL;TYPE=WORK:020 7946 0018\r\nEND:VCARD\r\n",
         {{"Anne Smith, Q.C.", {"+44 20 7946 0018", "020 7946 0018"}}}},
        {"4.0 with tel: URIs, an extension and a sip: URI (Thunderbird, Nextcloud)",
         "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Bob\r\n"
         "TEL;VALUE=uri;TYPE=\"voice,cell\":tel:+44-20-7946-0019\r\n"
         "TEL;VALUE=uri:tel:+1-555-555-5555;ext=5555\r\nTEL;VALUE=uri:sip:bob@example.org\r\n"
         "END:VCARD\r\n",
         {{"Bob", {"+44-20-7946-0019", "+1-555-555-5555"}}}},
        {"several cards, a nameless one taking ORG, one without a number",
         "BEGIN:VCARD\nVERSION:3.0\nORG:Acme Ltd;Sales\nTEL:0800 123 456\nEND:VCARD\n"
         "BEGIN:VCARD\nVERSION:3.0\nFN:No Phone\nEMAIL:x@example.org\nEND:VCARD\n"
         "begin:vcard\nversion:3.0\nfn:Lower Case\ntel:5551234\nend:vcard\n",
         {{"Acme Ltd", {"0800 123 456"}}, {"Lower Case", {"5551234"}}},
         1},
        {"an agent card nested in a 2.1 card gives nothing of its own",
         "BEGIN:VCARD\nVERSION:2.1\nFN:Boss\nTEL:111 222\nAGENT:\nBEGIN:VCARD\nFN:Agent\n"
         "TEL:999 888\nEND:VCARD\nTEL:333 444\nEND:VCARD\n",
         {{"Boss", {"111 222", "333 444"}}}},
        {"a file cut short keeps its last card",
         "BEGIN:VCARD\nFN:Cut\nTEL:123 456",
         {{"Cut", {"123 456"}}}},
        {"UTF-8 with a byte order mark and CR line ends",
         "\xEF\xBB\xBF"
         "BEGIN:VCARD\rFN:Zo\xC3\xAB\rTEL:5551234\rEND:VCARD\r",
         {{QString::fromUtf8("Zo\xC3\xAB"), {"5551234"}}}},
        {"a base64 name",
         "BEGIN:VCARD\nVERSION:2.1\nFN;ENCODING=BASE64:Q2FybA==\nTEL:12345\nEND:VCARD\n",
         {{"Carl", {"12345"}}}},
        {"controls in a name become blanks",
         "BEGIN:VCARD\nFN:A\\nB\x01\x7F"
         "C\nTEL:12345\nEND:VCARD\n",
         {{"A B C", {"12345"}}}},
        {"categories as groups: escaped commas, repeats, two lines, a folded one",
         "BEGIN:VCARD\nVERSION:3.0\nFN:Dr Who\nTEL:12345\nCATEGORIES:Doctors,Law\\, Tax,,doctors\n"
         "CATEGORIES;CHARSET=UTF-8:Fam\n ily\nEND:VCARD\n",
         {{"Dr Who", {"12345"}, {"Doctors", "Law, Tax", "Family"}}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const VCardReader::Result r = VCardReader::read(c.file);
        ASSERT_EQ(r.contacts.size(), c.contacts.size());
        for (qsizetype i = 0; i < c.contacts.size(); ++i) {
            EXPECT_EQ(r.contacts[i].name, c.contacts[i].name);
            EXPECT_EQ(r.contacts[i].numbers, c.contacts[i].numbers);
            EXPECT_EQ(r.contacts[i].groups, c.contacts[i].groups);
        }
        EXPECT_EQ(r.skipped, c.skipped);
    }
}

TEST(VCardReaderTest, AUtf16FileIsRead)
{
    const QString text = QStringLiteral("BEGIN:VCARD\r\nFN:Wide\r\nTEL:5551234\r\nEND:VCARD\r\n");
    QByteArray file("\xFF\xFE", 2);
    file.append(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    const VCardReader::Result r = VCardReader::read(file);
    ASSERT_EQ(r.contacts.size(), 1);
    EXPECT_EQ(r.contacts[0].name, "Wide");
}

// Text no exporter writes: nothing crashes, hangs or grows without bound.
TEST(VCardReaderTest, HostileTextGivesNoContactsOrBoundedOnes)
{
    const QByteArray longName(1 << 20, 'x');
    QByteArray manyNumbers;
    for (int i = 0; i < 100000; ++i)
        manyNumbers += "TEL:" + QByteArray::number(i) + "\n";
    static const char NulFile[] = "BEGIN:VCARD\nFN:A\0B\nTEL:1\0002\nEND:VCARD\n";
    struct Hostile
    {
        const char *what;
        QByteArray file;
        int contacts;
    };
    const Hostile cases[] = {
        {"empty", "", 0},
        {"no colon anywhere", QByteArray(10000, ';'), 0},
        {"END before BEGIN", "END:VCARD\nFN:X\nTEL:1\nEND:VCARD\n", 0},
        {"an unbalanced quote in the parameters", "BEGIN:VCARD\nTEL;TYPE=\"cell:123\nEND:VCARD\n",
         0},
        {"a quoted-printable value that is all soft breaks",
         "BEGIN:VCARD\nFN;QUOTED-PRINTABLE:=\n=\n=\n=\n=\nTEL:12\nEND:VCARD\n", 0},
        {"truncated escapes", "BEGIN:VCARD\nFN;ENCODING=QUOTED-PRINTABLE:A=4\nTEL:1\\", 1},
        {"a megabyte name", "BEGIN:VCARD\nFN:" + longName + "\nTEL:12\nEND:VCARD\n", 1},
        {"only folds", QByteArray("BEGIN:VCARD\n") + QByteArray(100000, ' ') + "\n \n \n", 0},
        {"deep nesting", QByteArray("BEGIN:VCARD\n").repeated(10000), 0},
        // Each costs quadratic time if a line is scanned again at every fold.
        {"endless folds without a colon",
         "BEGIN:VCARD\nFN" + QByteArray(" x\n").repeated(300000) + "TEL:1\nEND:VCARD\n", 0},
        {"endless folds in an open quote",
         "BEGIN:VCARD\nTEL;X=\"" + QByteArray(" :\n").repeated(300000) + "END:VCARD\n", 0},
        {"endless soft breaks",
         "BEGIN:VCARD\nFN;QUOTED-PRINTABLE:" + QByteArray("A=\n").repeated(300000) +
             "\nTEL:1\nEND:VCARD\n",
         1},
        {"a card of endless numbers", "BEGIN:VCARD\nFN:Many\n" + manyNumbers + "END:VCARD\n", 1},
        {"NUL bytes", QByteArray(NulFile, sizeof NulFile - 1), 1},
        {"a lone ff fe", "\xFF\xFE", 0},
    };
    for (const Hostile &c : cases) {
        SCOPED_TRACE(c.what);
        const VCardReader::Result r = VCardReader::read(c.file);
        EXPECT_EQ(r.contacts.size(), c.contacts);
        for (const Contact &contact : r.contacts) {
            EXPECT_LE(contact.name.size(), VCardReader::MaxTextLength);
            EXPECT_FALSE(contact.name.contains(QChar(0)));
            EXPECT_LE(contact.numbers.size(), VCardReader::MaxNumbersPerCard);
            for (const QString &n : contact.numbers)
                EXPECT_LE(n.size(), VCardReader::MaxTextLength);
        }
    }
}

} // namespace
