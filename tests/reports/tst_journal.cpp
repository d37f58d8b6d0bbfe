#include "reportfixture.h"

using namespace kl;
using namespace kl::test;

class Tst_journal : public ReportTest {
    Q_OBJECT
  private slots:
    void placeholder() {}
};

QTEST_MAIN(Tst_journal)
#include "tst_journal.moc"
