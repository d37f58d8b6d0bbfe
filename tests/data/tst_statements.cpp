// Every statement form the windows send, run word for word (values bound where the windows put
// a value) against fresh master and book databases, with what each returns or stores.

#include "data/appcontext.h"
#include "data/database.h"
#include "data/schema.h"
#include "testenv.h"

#include <QTest>

using namespace kl;

namespace {

struct Step {
    const char* sql;
    QVariantList params;
    // For a select: its rows, fields by their text form joined with '|', rows with ';'.
    // For any other statement: nullptr.
    const char* rows;
};

QString render(Recordset& rs) {
    QStringList rows;
    while (!rs.eof()) {
        QStringList fields;
        for (int c = 0; c < rs.fieldCount(); ++c)
            fields << rs.text(rs.fieldName(c));
        rows << fields.join('|');
        rs.moveNext();
    }
    return rows.join(';');
}

void runSteps(Database& db, const std::vector<Step>& steps) {
    for (const Step& s : steps) {
        const QString sql = QString::fromUtf8(s.sql);
        try {
            if (s.rows) {
                Recordset rs = db.openRecordset(sql, s.params);
                const QString got = render(rs);
                if (got != QString::fromUtf8(s.rows))
                    QFAIL(qPrintable(QStringLiteral("%1\n   got: %2\n  want: %3")
                                         .arg(sql, got, QString::fromUtf8(s.rows))));
            } else {
                db.execute(sql, s.params);
            }
        } catch (const DbError& e) {
            QFAIL(qPrintable(QStringLiteral("%1\n  error %2: %3")
                                 .arg(sql)
                                 .arg(e.number())
                                 .arg(e.description())));
        }
    }
}

}  // namespace

class TestStatements : public QObject {
    Q_OBJECT

  private slots:
    void master() {
        test::TempProgramFolder folder;
        schema::ensureMasterDatabase(context().masterPath());
        Database db = Database::open(context().masterPath());
        const QString ins =
            "insert into svetvrtke" +
            QStringLiteral(
                "(ime,mb,sifradj,to,ziroracun,posta,mjesto,ulica,telefon,kontakt)values") +
            "(?,?,?,?,?,?,?,?,?,?)";
        // clang-format off
        runSteps(db, {
            {"select * from svetvrtke order by ime asc", {}, ""},
            {"select * from dodajknjige order by nazivvrste asc", {}, "2|Proizvodnja;1|Skladiste"},
            {qPrintable(ins), {"Žitar d.o.o.", "-", "-", "T", "-", "10000", "Zagreb", "Ilica 1", "-", "-"}, nullptr},
            {qPrintable(ins), {"Cvjećarna", "123", "01", "O", "2360000", "21000", "Split", "Riva 2", "021", "Ana"}, nullptr},
            {qPrintable(ins), {"Čokolada", "-", "-", "T", "-", "-", "-", "-", "-", "-"}, nullptr},
            {"select * from svetvrtke order by ime asc", {},
             "2|Cvjećarna|123|01|O|2360000|21000|Split|Riva 2|021|Ana;"
             "3|Čokolada|-|-|T|-|-|-|-|-|-;1|Žitar d.o.o.|-|-|T|-|10000|Zagreb|Ilica 1|-|-"},
            {"update svetvrtke set ime='Žitar d.d.'where cstr(id)='1'", {}, nullptr},
            {"update svetvrtke set ime=?where cstr(id)=?", {"Žitar", "1"}, nullptr},
            {"update svetvrtke set mb=?where cstr(id)=?", {"111", "1"}, nullptr},
            {"update svetvrtke set sifradj=?where cstr(id)=?", {"22", "1"}, nullptr},
            {"update svetvrtke set to=?where cstr(id)=?", {"O", "1"}, nullptr},
            {"update svetvrtke set ziroracun=?where cstr(id)=?", {"333", "1"}, nullptr},
            {"update svetvrtke set posta=?where cstr(id)=?", {"44", "1"}, nullptr},
            {"update svetvrtke set mjesto=?where cstr(id)=?", {"Osijek", "1"}, nullptr},
            {"update svetvrtke set ulica=?where cstr(id)=?", {"Trg 5", "1"}, nullptr},
            {"update svetvrtke set telefon=?where cstr(id)=?", {"031", "1"}, nullptr},
            {"update svetvrtke set kontakt=?where cstr(id)=?", {"Ivo", "1"}, nullptr},
            {"select * from svetvrtke where cstr(id)='1'", {}, "1|Žitar|111|22|O|333|44|Osijek|Trg 5|031|Ivo"},
            {"select id from svetvrtke", {}, "1;2;3"},
            {"insert into otvoreneknjige(idtvrtke,nazivknjige,vrstaknjige,adresa)values(?,?,?,?)",
             {"1", "Glavno skladište", "Skladiste", "Ilica 1"}, nullptr},
            {"insert into otvoreneknjige(idtvrtke,nazivknjige,vrstaknjige,adresa)values('12','Pogon','Proizvodnja','-')",
             {}, nullptr},
            {"insert into otvoreneknjige(idtvrtke,nazivknjige,vrstaknjige,adresa)values(?,?,?,?)",
             {"120", "Tuđe", "Skladiste", "-"}, nullptr},
            {"insert into otvoreneknjige(idtvrtke,nazivknjige,vrstaknjige,adresa)values(?,?,?,?)",
             {"1", "Alati", "Skladiste", "-"}, nullptr},
            {"select *  from otvoreneknjige where idtvrtke like  '12'", {}, "2|12|Pogon|Proizvodnja|-"},
            {"select *  from otvoreneknjige where idtvrtke like  ?", {"1"},
             "1|1|Glavno skladište|Skladiste|Ilica 1;4|1|Alati|Skladiste|-"},
            {"update otvoreneknjige set nazivknjige=?where cstr(id)=?", {"Skladište A", "1"}, nullptr},
            {"update otvoreneknjige set adresa=?where cstr(id)=?", {"Ilica 3", "1"}, nullptr},
            {"select id from otvoreneknjige where cstr(id) like '1'", {}, "1"},
            {"select id from otvoreneknjige where cstr(id) like ?", {"01"}, ""},
            {"select nazivknjige,vrstaknjige,idtvrtke,id  from otvoreneknjige where vrstaknjige like 'Skladiste'",
             {}, "Skladište A|Skladiste|1|1;Tuđe|Skladiste|120|3;Alati|Skladiste|1|4"},
            {"select nazivknjige,vrstaknjige,idtvrtke,id  from otvoreneknjige where vrstaknjige like ? "
             "and idtvrtke like ? order by nazivknjige asc",
             {"Skladiste", "1"}, "Alati|Skladiste|1|4;Skladište A|Skladiste|1|1"},
            {"select * from otvoreneknjige where cstr(id) like ?", {"4"}, "4|1|Alati|Skladiste|-"},
        });
        // clang-format on
    }

    void warehouse() {
        test::TempProgramFolder folder;
        const QString path = context().bookPath(bookFileName(kWarehouseKind, "7"));
        schema::ensureBookDatabase(path, kWarehouseKind);
        Database db = Database::open(path);
        const char* insArt =
            "insert into "
            "artikli(sifra,barkod,naziv,jedmjere,minkolicina,stanje,vrijednost,proscijena)values(?,"
            "?,?,?,?,?,?,?)";
        const char* insKd =
            "insert into "
            "kd(kd,ime,mb,ziroracun,mjesto,ulica,telefon,kontakt)values(?,?,?,?,?,?,?,?)";
        // clang-format off
        runSteps(db, {
            {"select * from kd", {}, "1|k|Proizvodnja||||||"},
            {insArt, {"A1", "", "Brašno", "kg", "5,00", "0", "0", "0"}, nullptr},
            {insArt, {"a1", "385", "Šećer", "kg", "0,00", "0", "0", "0"}, nullptr},
            {insArt, {"B2", "", "Čavli", "kom", "10,50", "0", "0", "0"}, nullptr},
            {"insert into artikli(sifra,barkod,naziv,jedmjere,minkolicina,stanje,vrijednost,proscijena)values"
             "('C3','','Ulje','l','0,00','0','0','0')",
             {}, nullptr},
            {"select id,sifra,naziv from artikli order by naziv asc", {}, "1|A1|Brašno;3|B2|Čavli;2|a1|Šećer;4|C3|Ulje"},
            {"select sifra,barkod from artikli", {}, "A1|;a1|385;B2|;C3|"},
            {"select sifra from artikli", {}, "A1;a1;B2;C3"},
            {"update artikli set sifra=? where cstr(id)=?", {"C4", "4"}, nullptr},
            {"update artikli set barkod=? where cstr(id)=?", {"999", "4"}, nullptr},
            {"update artikli set naziv=? where cstr(id)=?", {"Ulje suncokretovo", "4"}, nullptr},
            {"update artikli set jedmjere=? where cstr(id)=?", {"lit", "4"}, nullptr},
            {"update artikli set minkolicina=? where cstr(id)=?", {"2,50", "4"}, nullptr},
            {"select id,sifra,barkod,naziv,jedmjere,minkolicina from artikli where cstr(id)='4'", {},
             "4|C4|999|Ulje suncokretovo|lit|2,5"},
            {insKd, {"d", "Dobavljač d.o.o.", "1", "2", "Zagreb", "Ulica 1", "01", "Pero"}, nullptr},
            {insKd, {"s", "Oboje", "-", "-", "-", "-", "-", "-"}, nullptr},
            {insKd, {"K", "Kupac", "-", "-", "-", "-", "-", "-"}, nullptr},
            {"select id,kd,ime from kd where kd like 'd*' or kd like 's*'", {}, "2|d|Dobavljač d.o.o.;3|s|Oboje"},
            {"select id,kd,ime from kd where kd like 'k*' or kd like 's*'", {}, "1|k|Proizvodnja;3|s|Oboje;4|K|Kupac"},
            {"select * from kd order by ime asc", {},
             "2|d|Dobavljač d.o.o.|1|2|Zagreb|Ulica 1|01|Pero;4|K|Kupac|-|-|-|-|-|-;"
             "3|s|Oboje|-|-|-|-|-|-;1|k|Proizvodnja||||||"},
            {"update kd set kd=? where cstr(id)=?", {"k", "4"}, nullptr},
            {"update kd set ime=? where cstr(id)=?", {"Kupac d.d.", "4"}, nullptr},
            {"update kd set mb=? where cstr(id)=?", {"9", "4"}, nullptr},
            {"update kd set ziroracun=? where cstr(id)=?", {"8", "4"}, nullptr},
            {"update kd set mjesto=? where cstr(id)=?", {"Rijeka", "4"}, nullptr},
            {"update kd set ulica=? where cstr(id)=?", {"Korzo", "4"}, nullptr},
            {"update kd set telefon=? where cstr(id)=?", {"051", "4"}, nullptr},
            {"update kd set kontakt=? where cstr(id)=?", {"Iva", "4"}, nullptr},
            {"select id,kd,ime from kd where kd like ? or kd like ?", {"K", "S"}, "1|k|Proizvodnja;3|s|Oboje;4|k|Kupac d.d."},
            {"select id,kd,ime from kd where kd like 'D' or kd like 'S'", {}, "2|d|Dobavljač d.o.o.;3|s|Oboje"},
            {"select * from kd where kd like ? or kd like ? order by ime asc", {"d", "s"},
             "2|d|Dobavljač d.o.o.|1|2|Zagreb|Ulica 1|01|Pero;3|s|Oboje|-|-|-|-|-|-"},
            {"insert into dokumenti(dokument)values(?)", {"Račun"}, nullptr},
            {"insert into dokumenti(dokument)values('Otpremnica')", {}, nullptr},
            {"select dokument from dokumenti order by dokument asc", {}, "Otpremnica;Račun"},
            {"select id,sifra,naziv,stanje,proscijena from artikli where sifra  like ?", {"a1"}, "1|A1|Brašno|0|0;2|a1|Šećer|0|0"},
            {"select id,sifra,naziv,stanje,proscijena from artikli where cstr(id)  like ?", {"3"}, "3|B2|Čavli|0|0"},
            {"select pi from pi where pi like 'P*'", {}, ""},
            {"select id,ime from kd where ime like ?", {"dobavljač d.o.o."}, "2|Dobavljač d.o.o."},
            {"select * from dokumenti where dokument like ?", {"Račun"}, "1|Račun"},
            // A receipt: header, stock updates, header id read-back, lines.
            {"insert into pi(pi,brojpi,datumpi,dokument,brojdok,datumdok,idkd)values(?,?,?,?,?,?,?)",
             {"P", "1", "05.12.2026", "1", "R-77", "04.12.2026", "2"}, nullptr},
            {"select * from artikli where cstr(id) like ?", {"1"}, "1|A1||Brašno|kg|5|0|0|0"},
            {"update artikli set stanje=? where cstr(id)=?", {"14", "1"}, nullptr},
            {"update artikli set vrijednost=? where cstr(id)=?", {"37", "1"}, nullptr},
            {"update artikli set proscijena=? where cstr(id)=?", {"2,64", "1"}, nullptr},
            {"update artikli set stanje='3' where cstr(id)='3'", {}, nullptr},
            {"update artikli set vrijednost='1234567,89' where cstr(id)='3'", {}, nullptr},
            {"select id from pi", {}, "1"},
            {"insert into ulazizlaz(idartikla,idpi,idkd,kolicina,cijena)values(?,?,?,?,?)",
             {"1", "1", "2", "10,00", "2,50"}, nullptr},
            {"insert into ulazizlaz(idartikla,idpi,idkd,kolicina,cijena)values('3','1','2','3,00','1,25')", {}, nullptr},
            // An issue.
            {"insert into pi(pi,brojpi,datumpi,idkd)values(?,?,?,?)", {"I", "1", "06.12.2026", "4"}, nullptr},
            {"insert into ulazizlaz(idartikla,idpi,idkd,kolicina,cijena)values(?,?,?,?,?)",
             {"1", "2", "4", "3,00", "2,64"}, nullptr},
            {"select pi from pi where pi like 'P*'", {}, "P"},
            {"select pi from pi where pi like 'I*'", {}, "I"},
            {"select pi from pi where pi  like 'I'", {}, "I"},
            {"select id,pi,brojpi,datumpi,dokument,brojdok,datumdok from pi where cstr(id) like ?", {"2"},
             "2|I|1|06.12.2026|||"},
            {"select id,pi,brojpi,datumpi,dokument,brojdok,datumdok from pi where cstr(id) like ?", {"1"},
             "1|P|1|05.12.2026|1|R-77|04.12.2026"},
            {"select naziv,sifra from artikli order by naziv asc", {},
             "Brašno|A1;Čavli|B2;Šećer|a1;Ulje suncokretovo|C4"},
            {"select sifra from artikli order by sifra asc", {}, "A1;a1;B2;C4"},
            {"select * from artikli where sifra like ?", {"C4"}, "4|C4|999|Ulje suncokretovo|lit|2,5|0|0|0"},
            {"select * from artikli order by naziv asc", {},
             "1|A1||Brašno|kg|5|14|37|2,64;3|B2||Čavli|kom|10,5|3|1234567,89|0;"
             "2|a1|385|Šećer|kg|0|0|0|0;4|C4|999|Ulje suncokretovo|lit|2,5|0|0|0"},
            {"select * from artikli where cstr(stanje) like '0'", {},
             "2|a1|385|Šećer|kg|0|0|0|0;4|C4|999|Ulje suncokretovo|lit|2,5|0|0|0"},
            {"select * from artikli where stanje < minkolicina", {},
             "3|B2||Čavli|kom|10,5|3|1234567,89|0;4|C4|999|Ulje suncokretovo|lit|2,5|0|0|0"},
            {"select * from artikli where naziv like ?", {"brašno"}, "1|A1||Brašno|kg|5|14|37|2,64"},
            {"select idartikla,idpi from ulazizlaz where idartikla like ?", {"1"}, "1|1;1|2"},
            {"select id,pi,brojpi from pi where cstr(id) like ?", {"1"}, "1|P|1"},
            {"select idartikla,idpi,kolicina,cijena from ulazizlaz where idartikla like ?", {"1"}, "1|1|10|2,5;1|2|3|2,64"},
            {"select id,idartikla,idpi,kolicina,cijena from ulazizlaz", {}, "1|1|1|10|2,5;2|3|1|3|1,25;3|1|2|3|2,64"},
            {"select naziv ,id from artikli where cstr(id) like ?", {"3"}, "Čavli|3"},
            {"select * from dokumenti where cstr(id) like ?", {"1"}, "1|Račun"},
            {"select * from dokumenti where cstr(id) like ?", {"0"}, ""},
            {"select pi,brojpi from pi where pi like 'P'", {}, "P|1"},
            {"select id,pi,brojpi,idkd,dokument from pi  where pi like 'P' and  cstr(brojpi)  like '1'", {}, "1|P|1|2|1"},
            {"select id,pi,brojpi,idkd from pi  where pi like ? and  cstr(brojpi)  like ?", {"I", "1"}, "2|I|1|4"},
            {"select id,ime from kd where cstr(id) like ?", {"2"}, "2|Dobavljač d.o.o."},
            {"select idkd,brojpi,pi,id,dokument from pi where pi like ? and cstr(idkd) like ?", {"P", "2"}, "2|1|P|1|1"},
            {"select idkd,brojpi,pi,id from pi where pi like ? and cstr(idkd) like ?", {"I", "4"}, "4|1|I|2"},
            {"select pi,brojpi,datumpi,brojdok,datumdok  from pi  where pi like ? and  cstr(brojpi)  like ?", {"P", "1"},
             "P|1|05.12.2026|R-77|04.12.2026"},
            {"select pi,brojpi,datumpi  from pi  where pi like ? and  cstr(brojpi)  like ?", {"I", "1"}, "I|1|06.12.2026"},
            {"select id,pi,brojpi,idkd,datumpi,dokument from pi  where pi like 'P'  And datumpi<= #2026/12/05#  "
             "and datumpi>= #2026/12/05#",
             {}, "1|P|1|2|05.12.2026|1"},
            {"select pi,brojpi,datumpi,brojdok,datumdok  from pi  where pi like 'P'  And datumpi<= #2026/12/04#  "
             "and datumpi>= #2026/01/01#",
             {}, ""},
            {"select id,pi,brojpi,idkd,datumpi from pi  where pi like 'I'  And datumpi<= #2026/12/31#  and "
             "datumpi>= #2026/12/06#",
             {}, "2|I|1|4|06.12.2026"},
            {"select pi,brojpi,datumpi  from pi  where pi like 'I'  And datumpi<= ?  and datumpi>= ?",
             {QDate(2026, 12, 6), QDate(2026, 12, 6)}, "I|1|06.12.2026"},
            {"select pi,brojpi,datumpi,brojdok,datumdok from pi where pi like ? and cstr(brojpi) like ?", {"P", "1"},
             "P|1|05.12.2026|R-77|04.12.2026"},
            {"select pi,brojpi,datumpi from pi where pi like ? and cstr(brojpi) like ?", {"I", "1"}, "I|1|06.12.2026"},
            {"select idpi,idartikla,kolicina,cijena from ulazizlaz where cstr(idpi) like ?", {"1"}, "1|1|10|2,5;1|3|3|1,25"},
            {"select id,sifra,naziv,jedmjere from artikli where cstr(id) like ?", {"1"}, "1|A1|Brašno|kg"},
            {"select sifra,naziv,id from artikli order by naziv asc", {},
             "A1|Brašno|1;B2|Čavli|3;a1|Šećer|2;C4|Ulje suncokretovo|4"},
            {"select id,naziv,stanje from artikli where cstr(id)  like ?", {"1"}, "1|Brašno|14"},
            {"select id,ime from kd where ime like 'Proizvodnja'", {}, "1|Proizvodnja"},
        });
        // clang-format on
    }

    void production() {
        test::TempProgramFolder folder;
        const QString path = context().bookPath(bookFileName(kProductionKind, "8"));
        schema::ensureBookDatabase(path, kProductionKind);
        Database db = Database::open(path);
        // clang-format off
        runSteps(db, {
            {"select * from proizvodi order by naziv asc", {}, ""},
            {"insert into proizvodi(naziv,sifra,barkod,jedmjere)values(?,?,?,?)", {"Kruh", "P1", "", "kom"}, nullptr},
            {"insert into proizvodi(naziv,sifra,barkod,jedmjere)values('Čaj','P2','123','kut')", {}, nullptr},
            {"select id from proizvodi", {}, "1;2"},
            {"select sifra,naziv,barkod from proizvodi", {}, "P1|Kruh|;P2|Čaj|123"},
            {"insert into sastojci(idartikla,kolicina,cijena,idproizvoda,idskladista)values(?,?,?,?,?)",
             {"1", "4,00", "1,20", "1", "7"}, nullptr},
            {"insert into sastojci(idartikla,kolicina,cijena,idproizvoda,idskladista)values(?,?,?,?,?)",
             {"2", "0,50", "3,00", "1", "9"}, nullptr},
            {"select * from proizvodi where cstr(id) like ?", {"2"}, "2|P2|123|Čaj|kut"},
            {"select * from sastojci where cstr(idproizvoda) like ?", {"1"}, "1|1|1|7|4|1,2;2|2|1|9|0,5|3"},
            {"select sifra,naziv,barkod from proizvodi where cstr(id) <> ?", {"1"}, "P2|Čaj|123"},
            {"update proizvodi set sifra=?where cstr(id)=?", {"P3", "2"}, nullptr},
            {"update proizvodi set naziv=?where cstr(id)=?", {"Čaj od mente", "2"}, nullptr},
            {"update proizvodi set barkod=?where cstr(id)=?", {"", "2"}, nullptr},
            {"update proizvodi set jedmjere=?where cstr(id)=?", {"kom", "2"}, nullptr},
            {"select * from proizvodi order by naziv asc", {}, "2|P3||Čaj od mente|kom;1|P1||Kruh|kom"},
            {"select naziv from proizvodi", {}, "Kruh;Čaj od mente"},
            {"select id,naziv from proizvodi where naziv like ?", {"kruh"}, "1|Kruh"},
            {"select id,naziv from proizvodi where cstr(id) like ?", {"1"}, "1|Kruh"},
            {"insert into radninalozi(brojrn,datumotv,datumzatv,idproizvoda,kolicinaproizvoda,trosakmat,trosakrada,"
             "trosakusluga,ostali1,ostali2,ostali3)values(?,?,?,?,?,?,?,?,?,?,?)",
             {"1", "01.12.2026", "05.12.2026", "1", "2,50", "16,20", "10,00", "0,00", "0,00", "0,00", "1,50"}, nullptr},
            {"select id,brojrn from radninalozi where  cstr(brojrn) like ?", {"1"}, "1|1"},
            {"insert into troskovi(idrn,nazivskladista,izdatnicabr,iznos)values(?,?,?,?)",
             {"1", "Glavno skladište", "1", "12,00"}, nullptr},
            {"insert into troskovi(idrn,nazivskladista,izdatnicabr,iznos)values(?,?,?,?)",
             {"1", "Drugo", "4", "4,2"}, nullptr},
            {"select idproizvoda from radninalozi where idproizvoda like ?", {"1"}, "1"},
            {"select id,idproizvoda from radninalozi", {}, "1|1"},
            {"select id,brojrn,datumotv,datumzatv,idproizvoda,kolicinaproizvoda from radninalozi", {},
             "1|1|01.12.2026|05.12.2026|1|2,5"},
            {"select * from radninalozi where cstr(brojrn) like ?", {"1"}, "1|1|01.12.2026|05.12.2026|1|2,5|16,2|10|0|0|0|1,5"},
            {"select * from troskovi where cstr(idrn) like ?", {"1"}, "1|1|Glavno skladište|1|12;2|1|Drugo|4|4,2"},
            {"update radninalozi set datumotv=? where cstr(id)=?", {"02.12.2026", "1"}, nullptr},
            {"update radninalozi set datumzatv=? where cstr(id)=?", {"06.12.2026", "1"}, nullptr},
            {"update radninalozi set trosakrada=? where cstr(id)=?", {"11,00", "1"}, nullptr},
            {"update radninalozi set trosakusluga=? where cstr(id)=?", {"1,00", "1"}, nullptr},
            {"update radninalozi set ostali1=? where cstr(id)=?", {"2,00", "1"}, nullptr},
            {"update radninalozi set ostali2=? where cstr(id)=?", {"3,00", "1"}, nullptr},
            {"update radninalozi set ostali3=? where cstr(id)=?", {"4,00", "1"}, nullptr},
            {"select * from radninalozi where cstr(brojrn) like ?", {"1"}, "1|1|02.12.2026|06.12.2026|1|2,5|16,2|11|1|2|3|4"},
            {"select idproizvoda from sastojci where idproizvoda like ?", {"1"}, "1;1"},
            {"select id from sastojci where cstr(id) like ?", {"2"}, "2"},
        });
        // clang-format on

        if (QTest::currentTestFailed()) return;
        // Rows removed through a recordset, as the product window deletes bill lines and products.
        Recordset rs = db.openRecordset("select id from sastojci where cstr(id) like ?", {"2"});
        rs.deleteCurrent();
        rs = db.openRecordset("select idproizvoda from sastojci where idproizvoda like ?", {"1"});
        while (!rs.eof()) {
            rs.deleteCurrent();
            rs.moveNext();
        }
        rs = db.openRecordset("select id from proizvodi where cstr(id) like ?", {"1"});
        rs.deleteCurrent();
        // clang-format off
        runSteps(db, {
            {"select * from sastojci", {}, ""},
            {"select id from proizvodi", {}, "2"},
        });
        // clang-format on
    }
};

QTEST_GUILESS_MAIN(TestStatements)
#include "tst_statements.moc"
