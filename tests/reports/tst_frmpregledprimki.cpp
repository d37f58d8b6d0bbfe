#include "reportfixture.h"

using namespace kl;
using namespace kl::test;

class Tst_frmpregledprimki : public ReportTest {
    Q_OBJECT
  private slots:
    void placeholder() {}
};

QTEST_MAIN(Tst_frmpregledprimki)
#include "tst_frmpregledprimki.moc"
