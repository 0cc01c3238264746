#include "support/UserText.h"

#include <QLocale>

#include <iterator>

namespace knvt::test {

namespace {

// English titles: a pattern whose {slots} are filled from the lists below.
const char *const kEnglishPatterns[] = {
    "Call {person} about {topic}",
    "Email {person} the {doc}",
    "Send the {doc} to {person} by {day}",
    "Pay the {bill} bill",
    "Pay {bill} bill ({amount})",
    "Book {appointment} for {day}",
    "Schedule {appointment}",
    "Reschedule {appointment} to {day} {time}",
    "Buy {grocery} and {grocery}",
    "Pick up {grocery}, {grocery} and {grocery}",
    "Pick up {thing} from {place}",
    "Return {thing} to {place}",
    "Review PR #{number}",
    "Fix bug #{number} in {component}",
    "Fix crash in {component} (reported by {person})",
    "Update {software} to v{version}",
    "Write the {doc} for {month}",
    "Draft the {doc} and ask {person} to review",
    "Submit expense report for {month}",
    "Finish the quarterly report",
    "Read \"{book}\"",
    "Finish chapter {small} of \"{book}\"",
    "Cancel {subscription} subscription",
    "Renew {renewal} before {day}",
    "Order {thing} ({small} pcs)",
    "Water the plants",
    "Take out the trash",
    "Clean the {room}",
    "Vacuum the {room} and the {room}",
    "Back up the laptop to {drive}",
    "Plan {event}",
    "Prepare slides for {event}",
    "Follow up with {person} re: {topic}",
    "Reply to {person}'s email about {topic}",
    "Ask {person} if {topic} is still on",
    "Meet {person} at {place} at {time}",
    "Lunch with {person} {day}",
    "Print boarding passes for {event}",
    "Sign and return the {doc}",
    "File the {doc} under {month}",
    "Research {research}",
    "Compare prices: {thing}",
    "Replace the {part}",
    "Get {thing} repaired",
    "Gift for {person}'s birthday?",
    "Think about {topic}",
    "Check if {person} got the {doc}",
    "Confirm {appointment} on {day}",
    "Move {meeting} to {time}",
    "Set up {software} on the new laptop",
    "Migrate {component} to {software}",
    "Write tests for {component}",
    "Refactor {component}",
    "Deploy {component} to staging",
    "1:1 with {person}",
    "Prep agenda for {meeting}",
    "Call the bank re: card ending {number}",
    "Transfer {amount} to savings",
    "Donate old clothes to {place}",
    "Change the {part} in the car",
    "Walk the dog",
    "Practice piano ({small} min)",
    "Run {small} km",
    "Get {thing} for {event}",
    "Hang the pictures in the {room}",
    "Sort out {topic}",
    "Look into {research}",
    "Invoice {client} for {month} ({amount})",
    "Quote for {client}: {thing}",
    "Re: {topic}",
    "TODO: {topic}",
};

const char *const kPersons[] = {
    "Anna",  "Mark",  "Sarah",  "Tom",    "Dr. Patel",    "Mom",         "Dad",      "Jenny",    "Chris",
    "Mike",  "Lisa",  "David",  "Emma",   "Olivia",       "Noah",        "Liam",     "Grandma",  "Mr. O'Brien",
    "Priya", "Kevin", "Rachel", "José",   "Zoë",          "Chloé",       "François", "Björn",    "Łukasz",
    "Renée", "Søren", "Andrés", "Noémie", "the landlord", "the plumber", "HR",       "the team",
};
const char *const kTopics[] = {
    "the budget",     "Q3 numbers",    "the lease",       "holiday plans",   "the offsite",
    "the new hire",   "pricing",       "the roadmap",     "insurance claim", "school pick-up",
    "the car loan",   "next sprint",   "the wedding",     "summer camp",     "the garage door",
    "parking permit", "the migration", "the 2.0 release", "tax documents",   "the HOA meeting",
};
const char *const kDocs[] = {"contract", "invoice", "report",  "proposal",   "agenda",      "résumé",
                             "minutes",  "slides",  "receipt", "tax return", "NDA",         "spec",
                             "budget",   "quote",   "lease",   "W-2",        "cover letter"};
const char *const kBills[] = {"electricity", "phone", "water", "internet", "credit card", "gas", "gym", "rent"};
const char *const kAppointments[] = {"dentist appointment",
                                     "haircut",
                                     "car service",
                                     "vet visit",
                                     "flu shot",
                                     "eye exam",
                                     "physio",
                                     "plumber",
                                     "parent-teacher meeting",
                                     "dermatologist",
                                     "oil change",
                                     "piano lesson"};
const char *const kDays[] = {"Monday",   "Tuesday",   "Wednesday", "Thursday",     "Friday",  "Saturday",
                             "tomorrow", "next week", "the 14th",  "end of month", "March 3", "Sept 21"};
const char *const kTimes[] = {"9:30", "10am", "11:15", "noon", "2pm", "3:45pm", "5:30", "8pm"};
const char *const kGroceries[] = {"milk",   "eggs",     "coffee beans", "bread",     "olive oil",     "bananas",
                                  "butter", "rice",     "dish soap",    "apples",    "paper towels",  "cheese",
                                  "yogurt", "tomatoes", "cat food",     "batteries", "crème fraîche", "jalapeños"};
const char *const kThings[] = {"the package", "the dry cleaning",  "the keys",    "a new charger",   "printer ink",
                               "the tent",    "library books",     "the blender", "a birthday card", "light bulbs",
                               "the rug",     "new running shoes", "the drill",   "a phone case",    "moving boxes"};
const char *const kPlaces[] = {"the post office", "IKEA",         "the library", "the dry cleaner's",
                               "school",          "the pharmacy", "Costco",      "the café on 5th",
                               "the office",      "the gym",      "Home Depot",  "the airport"};
const char *const kComponents[] = {"the login form",    "sync",     "the parser",     "the iOS build", "search",
                                   "the settings page", "checkout", "the API client", "notifications", "the importer"};
const char *const kSoftware[] = {"macOS", "Xcode", "Node", "Postgres", "Python", "the router firmware", "Qt", "Docker"};
const char *const kMonths[] = {"January", "February",  "March",   "April",    "May",      "June", "July",
                               "August",  "September", "October", "November", "December", "Q2",   "Q3"};
const char *const kEvents[] = {
    "Sarah's birthday party", "the team offsite", "the trip to Lisbon",  "the weekend in Zürich",
    "Thanksgiving dinner",    "the school fair",  "the conference talk", "Mom & Dad's anniversary",
    "the board meeting",      "the camping trip", "the kick-off",        "New Year's Eve"};
const char *const kBooks[] = {"Thinking, Fast and Slow",
                              "The Pragmatic Programmer",
                              "Dune",
                              "Atomic Habits",
                              "One Hundred Years of Solitude",
                              "Sapiens",
                              "The Little Prince",
                              "Designing Data-Intensive Applications"};
const char *const kSubscriptions[] = {"Netflix", "Spotify", "gym", "newspaper", "Adobe", "meal kit", "iCloud"};
const char *const kRenewals[] = {"passport",     "driver's license", "car insurance", "domain name",
                                 "library card", "SSL certificate",  "parking permit"};
const char *const kRooms[] = {"kitchen", "bathroom", "garage", "living room", "kids' room", "attic", "balcony"};
const char *const kDrives[] = {"the NAS", "the external drive", "the cloud", "Backblaze"};
const char *const kResearch[] = {"heat pumps",
                                 "standing desks",
                                 "flights to Tokyo",
                                 "e-bikes",
                                 "summer camps",
                                 "index funds",
                                 "kindergartens nearby",
                                 "solar panels",
                                 "noise-cancelling headphones",
                                 "hiking trails near Banff"};
const char *const kParts[] = {
    "smoke detector battery", "air filter", "wiper blades", "bike chain", "shower head", "door handle", "faucet"};
const char *const kMeetings[] = {"standup", "the design review", "the all-hands", "retro", "the client call"};
const char *const kClients[] = {"Acme Corp", "Globex", "Initech", "Müller GmbH", "Nordvik AS", "Smith & Sons"};

// Other languages: whole titles, some with a {number} or {time}.
const char *const kFrench[] = {
    "Appeler le médecin",
    "Réserver le restaurant pour samedi",
    "Acheter du pain et des œufs",
    "Payer la facture d'électricité",
    "Préparer la réunion de lundi",
    "Envoyer le devis à Hélène",
    "Répondre à l'e-mail de François",
    "Prendre rendez-vous chez le dentiste",
    "Réviser le chapitre {number}",
    "Renouveler le passeport",
    "Faire les courses",
    "Déclarer les impôts",
    "Nettoyer la cuisine",
    "Écrire à grand-mère",
    "Vérifier le contrat de location",
    "Rendez-vous à {time} avec Benoît",
    "Récupérer le colis à la poste",
    "Payer la cantine (février)",
};
const char *const kGerman[] = {
    "Zahnarzttermin vereinbaren",
    "Steuererklärung abgeben",
    "Brötchen und Käse kaufen",
    "Rechnung Nr. {number} bezahlen",
    "Müll rausbringen",
    "Geschenk für Jörg besorgen",
    "Fahrradreifen flicken",
    "Unterlagen für die Straßenverkehrsbehörde",
    "Größe der Küchenfenster messen",
    "Übersetzung prüfen",
    "Wohnung kündigen",
    "Versicherung anrufen",
    "Präsentation für Montag vorbereiten",
    "Heizung entlüften",
    "Termin beim Bürgeramt um {time}",
    "Grüße an Oma schicken",
    "Schlüssel beim Hausmeister abholen",
};
const char *const kSpanish[] = {
    "Llamar a la abuela",
    "Comprar café y azúcar",
    "Pagar la cuota del gimnasio",
    "Reservar mesa para el sábado",
    "Revisar el informe de ventas",
    "Enviar la factura nº {number}",
    "Renovar el pasaporte",
    "Preparar la presentación del lunes",
    "Cita con el médico a las {time}",
    "Limpiar el baño",
    "Regar las plantas",
    "Escribir a Begoña",
    "¿Quién trae la tortilla?",
    "Comprar regalo para Tomás",
};
const char *const kPolish[] = {
    "Zadzwonić do Łukasza",     "Kupić chleb i mleko",       "Zapłacić za prąd",
    "Umówić wizytę u dentysty", "Wysłać zdjęcia do Małgosi", "Przygotować prezentację na środę",
    "Odebrać paczkę z poczty",  "Naprawić kran w łazience",  "Spotkanie o {time} z Agnieszką",
};
const char *const kRussian[] = {
    "Позвонить маме",
    "Купить хлеб и молоко",
    "Оплатить интернет",
    "Записаться к врачу",
    "Подготовить отчёт за квартал",
    "Отправить договор Ивану",
    "Забрать посылку на почте",
    "Починить кран на кухне",
    "Заказать билеты в Москву",
    "Проверить домашнее задание",
    "Встреча с Ольгой в {time}",
    "Продлить страховку",
    "Написать письмо в банк",
    "Сдать машину в сервис",
    "Счёт № {number} оплатить до пятницы",
};
const char *const kGreek[] = {
    "Τηλεφώνημα στον γιατρό",
    "Αγορά ψωμιού και γάλακτος",
    "Πληρωμή λογαριασμού ρεύματος",
    "Κράτηση εισιτηρίων για Αθήνα",
    "Συνάντηση με τη Μαρία στις {time}",
    "Αποστολή τιμολογίου {number}",
    "Προετοιμασία παρουσίασης",
    "Ανανέωση διαβατηρίου",
};
const char *const kChinese[] = {
    "给妈妈打电话",      "买牛奶和面包",       "交电费",         "预约牙医",
    "准备周一的会议",    "把合同发给王经理",   "取快递",         "修理厨房水龙头",
    "订去上海的机票",    "写季度报告",         "检查孩子的作业", "续签护照",
    "{time} 和李明开会", "发票 {number} 报销",
};
const char *const kJapanese[] = {
    "歯医者の予約をする", "牛乳とパンを買う",       "電気代を払う",   "会議の資料を準備する", "田中さんにメールを送る",
    "荷物を受け取る",     "新幹線のチケットを予約", "レポートを書く", "部屋の掃除",           "{time}に打ち合わせ",
};
const char *const kKorean[] = {
    "치과 예약하기", "우유랑 빵 사기", "보고서 작성", "엄마한테 전화하기", "전기 요금 내기", "{time} 팀 회의",
};
const char *const kHebrew[] = {
    "להתקשר לאמא",         "לקנות חלב ולחם",          "לשלם חשבון חשמל",      "לקבוע תור לרופא שיניים",
    "לשלוח את החוזה לדני", "פגישה עם רונית ב-{time}", "להחזיר ספרים לספרייה",
};
const char *const kArabic[] = {
    "الاتصال بالطبيب",   "شراء الخبز والحليب",     "دفع فاتورة الكهرباء",
    "حجز تذاكر الطيران", "إرسال التقرير إلى أحمد", "اجتماع مع فاطمة الساعة {time}",
    "تجديد جواز السفر",
};

// Sentences of notes, by language.
const char *const kEnglishSentences[] = {
    "Ask about the warranty before signing anything.",
    "Link: https://example.com/tickets/{number}",
    "Bring the blue folder and two copies of the ID.",
    "Budget is around {amount}, tops.",
    "- milk\n- eggs\n- 2 lemons\n- something for dessert",
    "Last time they said it'd take 3-5 business days.",
    "Call back after 2pm; the office is closed on Mondays.",
    "Reference number: QX-{number}-B.",
    "Mail the scan to anna.k@example.org when it's done.",
    "The gate code is {number}#.",
    "They're open Mon-Fri 8:00-17:30, Sat 9-12.",
    "Talked to {person} on the phone: they'll send the forms by {day}.",
    "Don't forget the receipt!",
    "Options: (a) fix it ourselves, (b) call the landlord, (c) wait until spring.",
    "Parking is behind the building, level -2.",
    "See the thread from {month} for context.",
    "Total so far: {amount} (incl. tax).",
    "Maybe ask {person}? They did the same thing last year.",
    "Steps:\n1. Export the data\n2. Check the totals\n3. Send to {person}",
    "Not urgent, but before {day} would be good.",
    "Tracking # 1Z{number}9A0",
    "Size M, dark blue, no logo.",
    "Meeting room 4.12 - take the east elevator.",
    "TL;DR: it works, but it's slow with more than {number} rows.",
    "Prefer the morning slot if possible.",
};
const char *const kFrenchSentences[] = {
    "Apporter la carte Vitale et l'ordonnance.",    "Le cabinet est fermé le mercredi après-midi.",
    "Demander à Hélène si elle a reçu le dossier.", "Référence du colis : FR{number}.",
    "Prévoir environ {number} € pour le tout.",     "Voir le mail du 12 mars pour les détails.",
    "Il faut aussi penser à la clé du garage.",
};
const char *const kGermanSentences[] = {
    "Bitte die Kundennummer {number} angeben.",
    "Öffnungszeiten: Mo-Fr 8-16 Uhr, Do bis 18 Uhr.",
    "Personalausweis und Meldebescheinigung mitbringen.",
    "Die Größe steht auf dem Etikett unten links.",
    "Frau Müller hat gesagt, es dauert ungefähr zwei Wochen.",
    "Rückfragen an die Hausverwaltung (Tel. 089 {number}).",
};
const char *const kSpanishSentences[] = {
    "Llevar el DNI y la tarjeta sanitaria.",
    "La oficina abre a las 9:00 y cierra a las 14:00.",
    "Preguntar a Begoña si ya pagó su parte.",
    "Número de pedido: ES-{number}.",
    "¡No olvidar el recibo!",
};
const char *const kPolishSentences[] = {
    "Wziąć dowód osobisty i fakturę.",
    "Poczta jest czynna do 18:00, w sobotę do 13:00.",
    "Numer przesyłki: PL{number}.",
    "Zapytać Małgosię, czy ma jeszcze klucze.",
};
const char *const kRussianSentences[] = {
    "Взять паспорт и копию договора.",
    "Офис работает с 9 до 18, в субботу выходной.",
    "Номер заказа: {number}.",
    "Спросить у Ольги, получила ли она документы.",
    "Сумма около {number} руб., оплатить картой.",
    "Не забыть чек!",
};
const char *const kGreekSentences[] = {
    "Να πάρω την ταυτότητα και το βιβλιάριο υγείας.",
    "Το γραφείο είναι ανοιχτό μέχρι τις 14:00.",
    "Αριθμός παραγγελίας: {number}.",
    "Να ρωτήσω τη Μαρία αν έλαβε τα έγγραφα.",
};
const char *const kChineseSentences[] = {
    "记得带身份证和合同复印件。",   "营业时间：周一至周五 9:00-18:00。",  "订单号：{number}。",
    "问一下王经理文件收到了没有。", "大概需要 {number} 元，用信用卡付。", "别忘了发票！",
};
const char *const kJapaneseSentences[] = {
    "保険証と診察券を忘れずに。",         "受付は平日9時から17時まで。", "注文番号：{number}",
    "田中さんに資料が届いたか確認する。", "予算は{number}円くらい。",
};
const char *const kKoreanSentences[] = {
    "신분증이랑 계약서 사본 챙기기.",
    "영업시간은 평일 9시부터 6시까지.",
    "주문 번호: {number}",
    "민수한테 서류 받았는지 물어보기.",
};
const char *const kHebrewSentences[] = {
    "לקחת תעודת זהות ואת החוזה.",
    "המשרד פתוח עד 14:00 בימי שישי.",
    "מספר הזמנה: {number}.",
    "לשאול את רונית אם קיבלה את המסמכים.",
};
const char *const kArabicSentences[] = {
    "إحضار الهوية ونسخة من العقد.",
    "المكتب مفتوح من 9 صباحا حتى 5 مساء.",
    "رقم الطلب: {number}.",
    "اسأل أحمد إذا استلم الأوراق.",
};

const char *const kProjects[] = {
    "Kitchen renovation",
    "Website relaunch",
    "Q3 marketing plan",
    "Move to Berlin",
    "Tax return",
    "Wedding - Anna & Tom",
    "Garden",
    "Thesis: chapter 4",
    "App v2.0 launch",
    "Trip to Japan",
    "Onboarding docs",
    "Bathroom remodel",
    "Conference talk",
    "Home office setup",
    "Podcast season 2",
    "Customer portal",
    "Basement cleanup",
    "Sell the old car",
    "Learn Spanish",
    "Photo book {year}",
    "Budget {year}",
    "Déménagement",
    "Umzug nach München",
    "Ремонт квартиры",
    "家族旅行",
    "Rénovation salle de bain",
    "Projekt Gartenhaus",
    "Viaje a México",
    "Οικογενειακές διακοπές",
    "שיפוץ המטבח",
};
const char *const kAreas[] = {
    "Work",    "Home",     "Health",  "Finance", "Family", "Personal", "Side projects", "Errands", "Kids' school",
    "Car",     "Learning", "Friends", "Admin",   "Travel", "Fitness",  "Garden",        "Reading", "Volunteering",
    "Clients", "Maison",   "Arbeit",  "Работа",  "家",     "Σπίτι",    "בית",
};
const char *const kTags[] = {
    "errand",     "home",      "work",      "phone",   "email",  "waiting",     "urgent",  "someday",   "read",
    "buy",        "kids",      "health",    "finance", "garden", "car",         "@office", "@computer", "q3",
    "low-energy", "15min",     "travel",    "design",  "bug",    "client-acme", "review",  "meeting",   "weekend",
    "idea",       "important", "delegated", "blocked", "later",  "admin",       "fun",     "learning",  "writing",
    "shopping",   "calls",     "reisen",    "maison",  "работа", "家",          "אישי",    "café",      "übersetzung",
    "tax",        "school",    "music",     "fitness", "ops",
};
const char *const kGivenNames[] = {
    "Anna",     "Mark",  "Sarah",  "Tom",   "Priya", "Kevin",  "Rachel", "José",  "Zoë",   "Chloé",
    "François", "Björn", "Łukasz", "Renée", "Søren", "Andrés", "Иван",   "Ольга", "Νίκος", "Μαρία",
    "芳",       "健",    "דני",    "أحمد",  "Emma",  "Liam",   "Olivia", "Noah",  "Mia",   "Lucas",
};
const char *const kFamilyNames[] = {
    "Müller", "García",   "Clarke",       "Nowak", "Martin", "Lindqvist", "O'Brien", "Smith",   "Patel",  "Kowalski",
    "Петров", "Смирнова", "Παπαδόπουλος", "王",    "田中",   "כהן",       "علي",     "Johnson", "Dubois", "Rossi",
};

template <class List>
constexpr qint64 sizeOf(const List &list)
{
    return qint64(std::size(list));
}

} // namespace

UserText::Language UserText::pickLanguage()
{
    // Out of 1,000 titles.
    const qint64 n = below(1000);
    const struct
    {
        int upTo;
        Language language;
    } shares[] = {{790, Language::English}, {820, Language::French},  {850, Language::German},
                  {875, Language::Spanish}, {885, Language::Polish},  {920, Language::Russian},
                  {930, Language::Greek},   {955, Language::Chinese}, {970, Language::Japanese},
                  {980, Language::Korean},  {990, Language::Hebrew},  {1000, Language::Arabic}};
    for (const auto &share : shares)
        if (n < share.upTo)
            return share.language;
    return Language::English;
}

QString UserText::fill(QString pattern)
{
    const struct
    {
        const char *name;
        const char *const *list;
        qint64 size;
    } fillers[] = {
        {"{person}", kPersons, sizeOf(kPersons)},
        {"{topic}", kTopics, sizeOf(kTopics)},
        {"{doc}", kDocs, sizeOf(kDocs)},
        {"{bill}", kBills, sizeOf(kBills)},
        {"{appointment}", kAppointments, sizeOf(kAppointments)},
        {"{day}", kDays, sizeOf(kDays)},
        {"{time}", kTimes, sizeOf(kTimes)},
        {"{grocery}", kGroceries, sizeOf(kGroceries)},
        {"{thing}", kThings, sizeOf(kThings)},
        {"{place}", kPlaces, sizeOf(kPlaces)},
        {"{component}", kComponents, sizeOf(kComponents)},
        {"{software}", kSoftware, sizeOf(kSoftware)},
        {"{month}", kMonths, sizeOf(kMonths)},
        {"{event}", kEvents, sizeOf(kEvents)},
        {"{book}", kBooks, sizeOf(kBooks)},
        {"{subscription}", kSubscriptions, sizeOf(kSubscriptions)},
        {"{renewal}", kRenewals, sizeOf(kRenewals)},
        {"{room}", kRooms, sizeOf(kRooms)},
        {"{drive}", kDrives, sizeOf(kDrives)},
        {"{research}", kResearch, sizeOf(kResearch)},
        {"{part}", kParts, sizeOf(kParts)},
        {"{meeting}", kMeetings, sizeOf(kMeetings)},
        {"{client}", kClients, sizeOf(kClients)},
    };
    for (qsizetype at = pattern.indexOf(QLatin1Char('{')); at >= 0; at = pattern.indexOf(QLatin1Char('{'), at)) {
        const qsizetype end = pattern.indexOf(QLatin1Char('}'), at);
        if (end < 0)
            break;
        const QStringView name = QStringView(pattern).mid(at, end - at + 1);
        QString value;
        if (name == u"{number}")
            value = QString::number(100 + below(99900));
        else if (name == u"{small}")
            value = QString::number(1 + below(30));
        else if (name == u"{version}")
            value = QStringLiteral("%1.%2").arg(QString::number(1 + below(16)), QString::number(below(10)));
        else if (name == u"{year}")
            value = QString::number(2019 + below(8));
        else if (name == u"{amount}")
            value = QStringLiteral("$%1").arg(QLocale::c().toString(qlonglong(5 * (2 + below(900)))));
        for (const auto &s : fillers)
            if (value.isNull() && name == QLatin1String(s.name))
                value = QString::fromUtf8(s.list[below(s.size)]);
        pattern.replace(at, end - at + 1, value);
        at += value.size();
    }
    return pattern;
}

QString UserText::englishTitle()
{
    QString title = fill(pick(kEnglishPatterns));
    // A tail of what people add to be sure: when, how much, which one.
    switch (below(10)) {
    case 0: title += QStringLiteral(" by ") + fill(QStringLiteral("{day}")); break;
    case 1: title += QStringLiteral(" (") + fill(QStringLiteral("{day} {time}")) + QLatin1Char(')'); break;
    case 2: title += QStringLiteral("!"); break;
    case 3: title += QStringLiteral(" - ") + fill(QStringLiteral("{month}")); break;
    default: break;
    }
    // Typed on a system that curls quotes and dashes, or with a symbol people like.
    if (chance(8)) {
        title.replace(QLatin1Char('\''), QChar(0x2019));
        title.replace(QStringLiteral(" - "), QStringLiteral(" \u2013 "));
        if (!title.contains(QChar(0x2019)) && !title.contains(QChar(0x2013)))
            title += QStringLiteral(" \u2192 done?");
    } else if (chance(2)) {
        title += QStringLiteral(" \u2705");
    } else if (chance(1)) {
        title = QStringLiteral("\U0001F382 ") + title;
    }
    title[0] = title[0].toUpper();
    return title;
}

QString UserText::taskTitle()
{
    m_language = pickLanguage();
    switch (m_language) {
    case Language::English: return englishTitle();
    case Language::French: return fill(pick(kFrench));
    case Language::German: return fill(pick(kGerman));
    case Language::Spanish: return fill(pick(kSpanish));
    case Language::Polish: return fill(pick(kPolish));
    case Language::Russian: return fill(pick(kRussian));
    case Language::Greek: return fill(pick(kGreek));
    case Language::Chinese: return fill(pick(kChinese));
    case Language::Japanese: return fill(pick(kJapanese));
    case Language::Korean: return fill(pick(kKorean));
    case Language::Hebrew: return fill(pick(kHebrew));
    case Language::Arabic: return fill(pick(kArabic));
    }
    return englishTitle();
}

QString UserText::sentence(Language language)
{
    switch (language) {
    case Language::English: break;
    case Language::French: return fill(pick(kFrenchSentences));
    case Language::German: return fill(pick(kGermanSentences));
    case Language::Spanish: return fill(pick(kSpanishSentences));
    case Language::Polish: return fill(pick(kPolishSentences));
    case Language::Russian: return fill(pick(kRussianSentences));
    case Language::Greek: return fill(pick(kGreekSentences));
    case Language::Chinese: return fill(pick(kChineseSentences));
    case Language::Japanese: return fill(pick(kJapaneseSentences));
    case Language::Korean: return fill(pick(kKoreanSentences));
    case Language::Hebrew: return fill(pick(kHebrewSentences));
    case Language::Arabic: return fill(pick(kArabicSentences));
    }
    return fill(pick(kEnglishSentences));
}

QString UserText::taskNotes()
{
    const int length = 100 + int(below(301));
    QString notes;
    while (notes.size() < length) {
        if (!notes.isEmpty())
            notes += chance(30) ? QStringLiteral("\n\n") : QStringLiteral(" ");
        // Notes in another language than English hold English lines too: an address, a pasted reply.
        notes += sentence(chance(85) ? m_language : Language::English);
    }
    // Cut at the last space that keeps 100 characters at least, or at the length, never inside a pair.
    qsizetype cut = notes.lastIndexOf(QLatin1Char(' '), length);
    if (cut < 100)
        cut = length;
    if (notes[cut - 1].isHighSurrogate())
        --cut;
    notes.truncate(cut);
    return notes;
}

QString UserText::numbered(QString title, int percent)
{
    // Many lists and tags: later ones repeat earlier names with a year or a number, as people's do.
    if (chance(percent) && !title.contains(QLatin1Char('{')))
        title += QStringLiteral(" %1").arg(2019 + below(8));
    return fill(title);
}

QString UserText::projectTitle()
{
    return numbered(pick(kProjects), m_lists++ < sizeOf(kProjects) ? 10 : 60);
}

QString UserText::areaTitle()
{
    return numbered(pick(kAreas), m_lists++ < sizeOf(kAreas) ? 0 : 40);
}

QString UserText::tagTitle()
{
    const qint64 index = m_tags++;
    if (index < sizeOf(kTags))
        return QString::fromUtf8(kTags[index]);
    return QStringLiteral("%1-%2").arg(pick(kTags), QString::number(index / sizeOf(kTags) + 1));
}

QString UserText::givenName()
{
    return pick(kGivenNames);
}

QString UserText::familyName()
{
    return pick(kFamilyNames);
}

QString UserText::comment()
{
    QString text = sentence(chance(85) ? Language::English : pickLanguage());
    if (chance(40))
        text += QLatin1Char(' ') + sentence(Language::English);
    return text;
}

} // namespace knvt::test
