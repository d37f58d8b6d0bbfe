// IBAN and OIB checks against published numbers and their one-digit corruptions.

#include "data/identifiers.h"

#include <QTest>

using namespace kl;

class TstIdentifiers : public QObject {
    Q_OBJECT

  private slots:
    void iban_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::newRow("HR example") << "HR1210010051863000160" << true;
        QTest::newRow("HR with blanks, lower case") << "hr12 1001 0051 8630 0016 0" << true;
        QTest::newRow("DE") << "DE89370400440532013000" << true;
        QTest::newRow("GB with letters") << "GB82WEST12345698765432" << true;
        QTest::newRow("HR last digit changed") << "HR1210010051863000161" << false;
        QTest::newRow("HR two digits swapped") << "HR1210010051863000106" << false;
        QTest::newRow("HR 22 characters") << "HR12100100518630001600" << false;
        QTest::newRow("HR letter in number") << "HR121001005186300016A" << false;
        QTest::newRow("domestic account") << "2360000-1101234565" << false;
        QTest::newRow("too short") << "HR12" << false;
        QTest::newRow("35 characters") << "MT84MALT011000012345MTLCAST001S0000" << false;
        QTest::newRow("empty") << "" << false;
    }
    void iban() {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QCOMPARE(isValidIban(text), valid);
    }

    void looksLikeIban_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("looks");
        QTest::newRow("iban") << " hr12 3" << true;
        QTest::newRow("domestic") << "2360000-1101234565" << false;
        QTest::newRow("dash") << "-" << false;
    }
    void looksLikeIban() {
        QFETCH(QString, text);
        QFETCH(bool, looks);
        QCOMPARE(kl::looksLikeIban(text), looks);
    }

    void oib_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::newRow("valid 1") << "69435151530" << true;
        QTest::newRow("valid 2") << "94577403194" << true;
        QTest::newRow("control 10 becomes 0") << "00000000001" << true;
        QTest::newRow("last digit changed") << "69435151531" << false;
        QTest::newRow("digits swapped") << "96435151530" << false;
        QTest::newRow("ten digits") << "6943515153" << false;
        QTest::newRow("twelve digits") << "694351515300" << false;
        QTest::newRow("letter") << "6943515153a" << false;
        QTest::newRow("blank inside") << "69435 51530" << false;
    }
    void oib() {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QCOMPARE(isValidOib(text), valid);
    }

    // Every ten digits have exactly one control digit; spread over all ten values.
    void oibControlDigitIsUnique() {
        int seen[10] = {};
        for (int n = 0; n < 2000; ++n) {
            const QString ten = QString::number(1000000000LL + n * 7919LL);
            const int c = oibControlDigit(ten);
            QVERIFY(c >= 0 && c <= 9);
            ++seen[c];
            int valid = 0;
            for (int d = 0; d < 10; ++d)
                valid += isValidOib(ten + QString::number(d));
            QCOMPARE(valid, 1);
        }
        for (int c : seen)
            QVERIFY(c > 0);
    }
};

QTEST_GUILESS_MAIN(TstIdentifiers)
#include "tst_identifiers.moc"
