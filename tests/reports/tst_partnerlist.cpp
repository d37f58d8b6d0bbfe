#include "reportfixture.h"

using namespace kl;
using namespace kl::test;

class Tst_partnerlist : public ReportTest {
    Q_OBJECT
  private slots:
    void placeholder() {}
};

QTEST_MAIN(Tst_partnerlist)
#include "tst_partnerlist.moc"
