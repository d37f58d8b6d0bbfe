#include "shell/helptexts.h"

namespace kl::help {

QString companySelection() {
    return QStringLiteral(
        "<h3>Izbor tvrtke / obrta</h3>"
        "<p>U ovom prozoru birate tvrtku ili obrt s kojim želite raditi. Tipkom <b>F1</b> "
        "otvarate ovu pomoć, a ponovnim pritiskom na <b>F1</b> zatvarate je i vraćate se "
        "na popis.</p>"

        "<h3>Prvo pokretanje</h3>"
        "<p>Pri prvom pokretanju programa gumb <b>Ulaz</b> nije dostupan. Ako je popis "
        "prazan, najprije dodajte novu tvrtku ili obrt gumbom "
        "<b>Dodaj novu tvrtku ili obrt</b>.</p>"

        "<h3>Ulaz u tvrtku</h3>"
        "<p>Označite tvrtku na popisu i pritisnite <b>Ulaz</b> ili dvaput kliknite na nju. "
        "Otvara se izbor knjiga te tvrtke, u kojem birate knjigu s kojom ćete raditi.</p>"

        "<h3>Gumbi</h3>"
        "<ul>"
        "<li><b>Uređivanje</b> – otvara prozor u kojem mijenjate podatke označene tvrtke. "
        "Izmjene spremate gumbom <b>Izmjena</b>, nakon što ih potvrdite.</li>"
        "<li><b>Brisanje</b> – briše označenu tvrtku zajedno sa svim njezinim knjigama. "
        "Program vas prije brisanja upozorava i traži potvrdu. Obrisani podaci nepovratno su "
        "izgubljeni, zato dobro razmislite prije nego što potvrdite brisanje.</li>"
        "<li><b>Dodaj novu tvrtku ili obrt</b> – otvara prozor za upis podataka nove tvrtke "
        "ili obrta. Možete dodati koliko god tvrtki i obrta želite.</li>"
        "<li><b>Ispis</b> – nakon potvrde ispisuje podatke označene tvrtke na zadanom pisaču. "
        "Ako na računalu nema pisača, list se sprema kao PDF datoteka u mapu <b>Ispisi</b> "
        "pokraj podataka programa i odmah se otvara.</li>"
        "<li><b>Izlaz</b> – završava rad s programom.</li>"
        "</ul>"

        "<p>Tipkom <b>Esc</b> zatvarate prozor.</p>");
}

QString bookRegistry() {
    return QStringLiteral(
        "<h3>Izbor knjige</h3>"
        "<p>U ovom prozoru birate knjigu odabrane tvrtke ili obrta s kojom želite raditi. "
        "Tipkom <b>F1</b> otvarate ovu pomoć, a ponovnim pritiskom na <b>F1</b> zatvarate je "
        "i vraćate se na popis knjiga.</p>"
        "<p>U naslovu prozora piše putanja datoteke s bazom podataka označene knjige, pa "
        "uvijek znate gdje se njezini podaci nalaze.</p>"

        "<h3>Ulaz u knjigu</h3>"
        "<p>Kada prvi put dođete u ovaj prozor, gumb <b>Ulaz</b> nije dostupan. Ako tvrtka "
        "još nema nijednu knjigu, najprije je upišite gumbom <b>Upis nove knjige</b>. Inače "
        "označite knjigu na popisu i pritisnite <b>Ulaz</b> ili dvaput kliknite na nju.</p>"

        "<h3>Upis nove knjige</h3>"
        "<p>Gumb <b>Upis nove knjige</b> otvara okvir za unos. Upišite <b>Naziv knjige</b> i "
        "<b>Adresu knjige</b> te s popisa vrsta izaberite vrstu knjige:</p>"
        "<ul>"
        "<li><b>Skladiste</b> – skladišna knjiga: artikli, kupci i dobavljači, primke "
        "(<b>Primka</b>) i izdatnice (<b>Izdatnica</b>) te pregledi.</li>"
        "<li><b>Proizvodnja</b> – knjiga proizvodnje: proizvodi s normativima, čiji se "
        "materijali uzimaju iz skladišnih knjiga iste tvrtke, i radni nalozi.</li>"
        "</ul>"
        "<p>Pritisnite <b>Unosim knjigu</b> i potvrdite upis: knjiga se sprema i odmah se "
        "pojavljuje na popisu. Gumbom <b>Izlaz iz unosa</b> napuštate način unosa. Možete "
        "upisati koliko god knjiga želite.</p>"

        "<h3>Izmjena</h3>"
        "<p>Označite knjigu i pritisnite <b>Izmjena</b>. U okviru za unos možete promijeniti "
        "samo naziv i adresu knjige; vrsta knjige ne može se mijenjati. Izmjenu spremate "
        "gumbom <b>Izmjena</b> u okviru, nakon što je potvrdite.</p>"

        "<h3>Brisanje</h3>"
        "<p>Gumb <b>Brisanje</b> uklanja označenu knjigu. Program vas prije brisanja upozorava "
        "i traži potvrdu. Svi podaci te knjige nepovratno su izgubljeni, zato dobro razmislite "
        "prije nego što potvrdite brisanje.</p>"

        "<h3>Alati</h3>"
        "<p>Gumb <b>Alati</b> otvara alate za baze podataka: izradu i vraćanje sigurnosnih "
        "kopije, provjeru i sažimanje baza te provjeru zaliha označene skladišne knjige. "
        "Naslov prozora pokazuje put do baze označene knjige.</p>"

        "<h3>Povratak</h3>"
        "<p>Gumbom <b>Vrati se</b> vraćate se u izbor tvrtke ili obrta.</p>");
}

QString tools() {
    return QStringLiteral(
        "<h3>Alati</h3>"
        "<p>Alati rade sa svim bazama programa: popisom tvrtki (tvrtke.mdb) i knjigama svih "
        "tvrtki u mapi programa. Izvještaj svakog alata pojavljuje se u prozoru i može se "
        "ispisati gumbom <b>Ispis</b>.</p>"

        "<h3>Sigurnosna kopija</h3>"
        "<p>Sprema kopiju svih baza u novu mapu unutar mape <b>Sigurnosne kopije</b>, nazvanu "
        "po datumu i vremenu. Kopija je ispravna i dok je neka knjiga otvorena.</p>"
        "<p><b>Sigurnosna kopija na...</b> sprema istu kopiju u mapu koju odaberete, npr. na "
        "USB memoriji: u njoj nastaje nova mapa <b>Knjige Lumen kopija</b> s datumom i "
        "vremenom, a ništa drugo u odabranoj mapi ne mijenja se. Kopiju redovito spremajte i "
        "na drugi disk ili USB memoriju.</p>"

        "<h3>Provjera baza</h3>"
        "<p>Provjerava je li svaka baza ispravna i ispisuje izvještaj. Oštećenu bazu vratite "
        "iz posljednje ispravne sigurnosne kopije.</p>"

        "<h3>Sažimanje baza</h3>"
        "<p>Nakon brisanja podataka baze zadržavaju prazan prostor; sažimanje ga oslobađa. "
        "Podaci se ne mijenjaju.</p>"

        "<h3>Provjera zaliha</h3>"
        "<p>Za skladišnu knjigu označenu na popisu knjiga ponovno izračunava stanje, "
        "vrijednost i prosječnu cijenu svakog artikla iz njegovog prometa i pokazuje artikle "
        "kojima se zapisani podaci razlikuju. Razlike se mogu ispraviti nakon potvrde.</p>"

        "<h3>Vraćanje kopije</h3>"
        "<p>Označite kopiju na popisu i pritisnite <b>Vraćanje kopije</b>. Nakon potvrde sve "
        "baze programa zamjenjuju se bazama iz kopije; sadašnje baze prije toga se spremaju "
        "u novu sigurnosnu kopiju, tako da se ništa ne gubi.</p>"
        "<p><b>Vrati kopiju s...</b> vraća kopiju iz mape koju odaberete (npr. s USB "
        "memorije): odaberite mapu kopije ili mapu u kojoj su kopije (tada se vraća "
        "najnovija). Kopija se najprije provjeri i prenese među kopije u mapi programa, a "
        "zatim se vraća kao i svaka druga.</p>"

        "<p><b>Izlaz</b> zatvara alate. F1 otvara i zatvara ovu pomoć.</p>");
}

QString programGuide() {
    return QStringLiteral(
        "<h3>O programu:</h3>"
        "<p>Rad s programom počinje upisom tvrtke ili obrta. Kada je tvrtka upisana, uđite u "
        "nju i dodajte joj knjige.</p>"

        "<h3>Skladišna knjiga</h3>"
        "<p>Prva knjiga koju upisujete jest skladišna knjiga. Podatke u nju upisujte ovim "
        "redom:</p>"
        "<ul>"
        "<li>najprije <b>artikle</b>;</li>"
        "<li>zatim <b>partnere</b>: kupce (oznaka <b>k</b>), dobavljače (oznaka <b>d</b>) "
        "ili one koji su i jedno i drugo (oznaka <b>s</b>);</li>"
        "<li>potom <b>primke</b>, zajedno s vrstama dokumenata, primjerice računima;</li>"
        "<li>na kraju <b>izdatnice</b>.</li>"
        "</ul>"
        "<p>Preglede artikala, primki, izdatnica i partnera te dnevnik možete prikazati na "
        "zaslonu i ispisati.</p>"

        "<h3>Knjiga proizvodnje</h3>"
        "<p>Kada je skladišna knjiga popunjena, u izboru knjiga upišite knjigu proizvodnje, "
        "uđite u nju i upišite proizvode s njihovim normativima. Čim postoji barem jedan "
        "proizvod, možete otvarati radne naloge.</p>"

        "<h3>Pomoć i tipke</h3>"
        "<p>Svaki prozor osim pregleda ima pomoć koju otvarate tipkom <b>F1</b>. Tipkom "
        "<b>Esc</b> zatvarate prozor.</p>"

        "<h3>Gdje su podaci</h3>"
        "<p>Knjige svih tvrtki spremljene su kao datoteke u mapi programa, pokraj datoteke "
        "<b>tvrtke.mdb</b>. Redovito izrađujte sigurnosnu kopiju cijele te mape (kopirajte "
        "je na drugi disk ili medij) dok je program zatvoren.</p>");
}

QString productDescription() {
    return QStringLiteral(
        "Knjige Lumen vodi skladišne knjige i knjige proizvodnje za male tvrtke i obrte. "
        "Program možete koristiti samo sa skladišnom knjigom ili sa skladištem i proizvodnjom "
        "zajedno. Proizvodnja ne može raditi bez skladišta, jer materijale za proizvode "
        "uzima iz skladišnih knjiga.");
}

QString makersContact() {
    return QStringLiteral(
        "Izradio: tim Knjige Lumen\n"
        "Podrška: obratite se osobi koja vam je instalirala program.\n"
        "© 2026 Knjige Lumen");
}

}  // namespace kl::help
