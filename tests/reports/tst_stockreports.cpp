#include "reportfixture.h"

using namespace kl;
using namespace kl::test;

class Tst_stockreports : public ReportTest {
    Q_OBJECT
  private slots:
    void placeholder() {}
};

QTEST_MAIN(Tst_stockreports)
#include "tst_stockreports.moc"
