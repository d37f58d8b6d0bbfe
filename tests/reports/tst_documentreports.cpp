#include "reportfixture.h"

using namespace kl;
using namespace kl::test;

class Tst_documentreports : public ReportTest {
    Q_OBJECT
  private slots:
    void placeholder() {}
};

QTEST_MAIN(Tst_documentreports)
#include "tst_documentreports.moc"
