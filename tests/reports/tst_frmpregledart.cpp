#include "reportfixture.h"

using namespace kl;
using namespace kl::test;

class Tst_frmpregledart : public ReportTest {
    Q_OBJECT
  private slots:
    void placeholder() {}
};

QTEST_MAIN(Tst_frmpregledart)
#include "tst_frmpregledart.moc"
