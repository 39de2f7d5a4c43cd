// Writes a large directory file for benchmarks: one tree "BENCH" with the schema of the
// demo directory, an organization, three levels of organizational units and, in each unit
// of the last level, a few hundred to a few thousand users and one group.
//
//   gen_directory N OUT.json [--seed S] [--schema DIRECTORY.json]
//
// N counts every object written (containers, groups and users). The same N and seed give
// the same file. The output is streamed: memory stays small whatever N is.

#include <QByteArray>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QSet>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <vector>

namespace {

struct Name {
    const char *text;   // as written in the directory
    const char *folded; // without accents, lower case: for logins and mail addresses
};

constexpr Name FirstNames[] = {
    {"Hélène", "helene"},
    {"François", "francois"},
    {"Gaëlle", "gaelle"},
    {"Jérôme", "jerome"},
    {"Noël", "noel"},
    {"Anaïs", "anais"},
    {"Zoé", "zoe"},
    {"Loïc", "loic"},
    {"Raphaël", "raphael"},
    {"Chloé", "chloe"},
    {"Clément", "clement"},
    {"Cécile", "cecile"},
    {"Agnès", "agnes"},
    {"Benoît", "benoit"},
    {"Séverine", "severine"},
    {"Frédéric", "frederic"},
    {"Stéphane", "stephane"},
    {"Valérie", "valerie"},
    {"Sébastien", "sebastien"},
    {"Élodie", "elodie"},
    {"Éric", "eric"},
    {"Hervé", "herve"},
    {"Marie", "marie"},
    {"Pierre", "pierre"},
    {"Nathalie", "nathalie"},
    {"Isabelle", "isabelle"},
    {"Sylvie", "sylvie"},
    {"Philippe", "philippe"},
    {"Nicolas", "nicolas"},
    {"Christophe", "christophe"},
    {"Sandrine", "sandrine"},
    {"Julien", "julien"},
    {"Camille", "camille"},
    {"Manon", "manon"},
    {"Lucas", "lucas"},
    {"Hugo", "hugo"},
    {"Louise", "louise"},
    {"Thomas", "thomas"},
    {"Sophie", "sophie"},
    {"Olivier", "olivier"},
    {"Jean-Michel", "jean-michel"},
    {"Anne-Sophie", "anne-sophie"},
    {"Solène", "solene"},
    {"René", "rene"},
};

constexpr Name Surnames[] = {
    {"Dupré", "dupre"},           {"Lefèvre", "lefevre"},   {"Mercier", "mercier"},   {"Bérenger", "berenger"},
    {"Gérard", "gerard"},         {"Hébert", "hebert"},     {"Thébault", "thebault"}, {"Le Goff", "legoff"},
    {"Ménard", "menard"},         {"Sénéchal", "senechal"}, {"Évrard", "evrard"},     {"D'Almeida", "dalmeida"},
    {"N'Diaye", "ndiaye"},        {"Lemaître", "lemaitre"}, {"Guérin", "guerin"},     {"Lebœuf", "leboeuf"},
    {"Lefrançois", "lefrancois"}, {"Martin", "martin"},     {"Bernard", "bernard"},   {"Dubois", "dubois"},
    {"Robert", "robert"},         {"Richard", "richard"},   {"Petit", "petit"},       {"Durand", "durand"},
    {"Leroy", "leroy"},           {"Moreau", "moreau"},     {"Simon", "simon"},       {"Laurent", "laurent"},
    {"Michel", "michel"},         {"Garcia", "garcia"},     {"Fournier", "fournier"}, {"Girard", "girard"},
    {"Fontaine", "fontaine"},     {"Rousseau", "rousseau"}, {"Blanc", "blanc"},       {"Muller", "muller"},
    {"Perrin", "perrin"},         {"Morin", "morin"},       {"Brunet", "brunet"},     {"Schmitt", "schmitt"},
    {"Quéré", "quere"},           {"Prévost", "prevost"},   {"Nguyen", "nguyen"},     {"Da Silva", "dasilva"},
};

constexpr const char *Titles[] = {
    "Comptable",
    "Technicien support",
    "Ingénieur système",
    "Chef d'équipe",
    "Assistante de direction",
    "Opérateur de production",
    "Contrôleur qualité",
    "Chargée de recrutement",
    "Développeur",
    "Magasinier",
    "Conseillère clientèle",
    "Responsable paie, congés et absences",
    "Cariste",
    "Chef de projet",
};

struct Region {
    const char *name;
    const char *phone; // telephone prefix
};

constexpr Region Regions[] = {
    {"Île-de-France", "+33 1"},
    {"Auvergne-Rhône-Alpes", "+33 4"},
    {"Hauts-de-France", "+33 3"},
    {"Bretagne", "+33 2"},
    {"Occitanie", "+33 5"},
    {"Grand Est", "+33 3"},
    {"Normandie", "+33 2"},
    {"Nouvelle-Aquitaine", "+33 5"},
    {"Pays de la Loire", "+33 2"},
    {"Provence-Alpes-Côte d'Azur", "+33 4"},
    {"Bourgogne-Franche-Comté", "+33 3"},
    {"Centre-Val de Loire", "+33 2"},
};

constexpr const char *Sites[] = {
    "Agence Centre", "Agence Nord",           "Agence Sud", "Usine",        "Entrepôt",           "Siège régional",
    "Laboratoire",   "Plateforme logistique", "Agence Est", "Agence Ouest", "Centre de services", "Dépôt",
};

constexpr const char *Services[] = {
    "Comptabilité", "Ressources Humaines", "Informatique", "Production", "Qualité", "Maintenance",
    "Logistique",   "Service Clients",     "Achats",       "Commercial", "Études",  "Juridique",
};

// Attributes written, with the syntax the demo schema must give them.
struct UsedAttribute {
    const char *name;
    int syntax;
};

constexpr UsedAttribute UsedAttributes[] = {
    {"O", 3},
    {"OU", 3},
    {"CN", 3},
    {"Surname", 3},
    {"Given Name", 3},
    {"Full Name", 3},
    {"Title", 3},
    {"Description", 3},
    {"Telephone Number", 10},
    {"Internet EMail Address", 3},
    {"Login Grace Limit", 8},
    {"Login Disabled", 7},
    {"Last Login Time", 24},
    {"Password Expiration Interval", 27},
    {"Group Membership", 1},
    {"Member", 1},
};

constexpr const char *UsedClasses[] = {"Organization", "Organizational Unit", "User", "Group"};

// 15 June 2004, 10:30 UTC: the dates of the demo directory surround it too.
constexpr qint64 Now = 1087295400;
constexpr qint64 Day = 86400;

// SplitMix64: small, fast and the same on every platform.
class Random
{
public:
    explicit Random(quint64 seed) : state(seed) {}
    quint64 next()
    {
        quint64 z = (state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    // A number in [0, n).
    quint32 below(quint32 n) { return quint32((next() >> 32) * n >> 32); }
    double unit() { return double(next() >> 11) / double(1ULL << 53); }

private:
    quint64 state;
};

// Buffers the output and hands it to the file in large blocks.
class Output
{
public:
    explicit Output(QSaveFile &file) : file(file) { buffer.reserve(Capacity + 4096); }
    Output &operator<<(const char *text)
    {
        buffer.append(text);
        spill();
        return *this;
    }
    Output &operator<<(const QByteArray &text)
    {
        buffer.append(text);
        spill();
        return *this;
    }
    Output &operator<<(qint64 number)
    {
        buffer.append(QByteArray::number(number));
        spill();
        return *this;
    }
    // A JSON string: the text between double quotes, escaped.
    Output &string(const QByteArray &text)
    {
        buffer.append('"');
        for (char c : text) {
            if (c == '"' || c == '\\') {
                buffer.append('\\');
                buffer.append(c);
            } else if (static_cast<unsigned char>(c) < 0x20) {
                buffer.append(QByteArray("\\u00") +
                              QByteArray::number(static_cast<unsigned char>(c), 16).rightJustified(2, '0'));
            } else {
                buffer.append(c);
            }
        }
        buffer.append('"');
        spill();
        return *this;
    }
    // Writes what is left; false when the file refused data at any point.
    bool finish()
    {
        if (!buffer.isEmpty() && file.write(buffer) != buffer.size())
            failed = true;
        buffer.clear();
        return !failed;
    }

private:
    static constexpr qsizetype Capacity = 1 << 20;
    void spill()
    {
        if (buffer.size() < Capacity)
            return;
        if (file.write(buffer) != buffer.size())
            failed = true;
        buffer.clear();
    }
    QSaveFile &file;
    QByteArray buffer;
    bool failed = false;
};

struct User {
    QByteArray cn;
    const Name *given;
    const Name *surname; // null for an account without a surname
    bool member;         // belongs to the unit's group
};

// The shape of the tree for N objects: leaf units spread three levels deep, users shared
// out unevenly between the leaves.
struct Plan {
    int leaves = 1;
    int fanout = 1;
    std::vector<qint64> usersPerLeaf;
};

int regionCount(const Plan &plan)
{
    return (plan.leaves + plan.fanout * plan.fanout - 1) / (plan.fanout * plan.fanout);
}

int siteCount(const Plan &plan)
{
    return (plan.leaves + plan.fanout - 1) / plan.fanout;
}

Plan makePlan(qint64 objects, Random &random)
{
    Plan plan;
    plan.leaves = int(std::max<qint64>(1, objects / 1100));
    plan.fanout = int(std::ceil(std::cbrt(double(plan.leaves))));
    // The organization, its administrator, the units and one group per leaf.
    const qint64 overhead = 2 + regionCount(plan) + siteCount(plan) + 2 * qint64(plan.leaves);
    const qint64 users = std::max<qint64>(0, objects - overhead);
    std::vector<double> weights(plan.leaves);
    double total = 0;
    for (double &w : weights) {
        const double r = random.unit();
        w = 0.3 + 2.7 * r * r;
        total += w;
    }
    qint64 given = 0;
    for (int i = 0; i < plan.leaves; ++i) {
        const qint64 share = i + 1 == plan.leaves ? users - given : qint64(double(users) * weights[i] / total);
        plan.usersPerLeaf.push_back(share);
        given += share;
    }
    return plan;
}

// A sibling name from a list, numbered once the list is used up, so that siblings differ.
QByteArray pick(const char *const *names, size_t count, int index)
{
    QByteArray name(names[size_t(index) % count]);
    if (size_t(index) >= count)
        name += ' ' + QByteArray::number(qint64(size_t(index) / count) + 1);
    return name;
}

class Generator
{
public:
    Generator(Output &out, const Plan &plan, qint64 objects, quint64 seed)
        : out(out), plan(plan), budget(objects), random(seed)
    {
    }

    void writeObjects()
    {
        out << "{\"name\": \"O=Bench\", \"class\": \"Organization\", \"values\": {\"O\": [\"Bench\"]}, "
               "\"children\": [\n";
        --budget;
        bool first = true;
        if (budget > 0) {
            out << "{\"name\": \"CN=Admin\", \"class\": \"User\", \"values\": {\"CN\": [\"Admin\"], "
                   "\"Description\": [\"Administrateur de l'arbre\"], \"Login Grace Limit\": [6]}}";
            --budget;
            first = false;
        }
        const int regions = regionCount(plan);
        const int perRegion = plan.fanout * plan.fanout;
        for (int r = 0; r < regions && budget > 0; ++r) {
            const Region &region = Regions[size_t(r) % std::size(Regions)];
            QByteArray name(region.name);
            if (size_t(r) >= std::size(Regions))
                name += ' ' + QByteArray::number(qint64(size_t(r) / std::size(Regions)) + 1);
            openUnit(name, first);
            const QByteArray regionDn = name + ".Bench";
            bool firstSite = true;
            for (int s = 0; s < plan.fanout && budget > 0; ++s) {
                const int firstLeaf = r * perRegion + s * plan.fanout;
                if (firstLeaf >= plan.leaves)
                    break;
                const QByteArray site = pick(Sites, std::size(Sites), s);
                openUnit(site, firstSite);
                const QByteArray siteDn = site + '.' + regionDn;
                bool firstLeafUnit = true;
                for (int l = 0; l < plan.fanout && budget > 0 && firstLeaf + l < plan.leaves; ++l) {
                    const QByteArray service = pick(Services, std::size(Services), l);
                    openUnit(service, firstLeafUnit);
                    writeLeaf(service + '.' + siteDn, region, plan.usersPerLeaf[size_t(firstLeaf + l)]);
                    out << "]}";
                }
                out << "]}";
            }
            out << "]}";
        }
        out << "\n]}";
    }

private:
    void openUnit(const QByteArray &name, bool &first)
    {
        out << (first ? "" : ",\n") << "{\"name\": ";
        out.string("OU=" + name);
        out << ", \"class\": \"Organizational Unit\", \"values\": {\"OU\": [";
        out.string(name);
        out << "]}, \"children\": [\n";
        first = false;
        --budget;
    }

    void writeLeaf(const QByteArray &unitDn, const Region &region, qint64 count)
    {
        count = std::min(count, budget);
        users.clear();
        logins.clear();
        for (qint64 i = 0; i < count; ++i)
            users.push_back(makeUser());
        budget -= count;
        bool first = true;
        for (const User &user : users) {
            writeUser(user, unitDn, region, first);
            first = false;
        }
        if (budget > 0) {
            writeGroup(unitDn, first);
            --budget;
        }
    }

    User makeUser()
    {
        User user;
        user.given = &FirstNames[random.below(std::size(FirstNames))];
        user.surname = random.below(50) == 0 ? nullptr : &Surnames[random.below(std::size(Surnames))];
        user.member = random.below(20) == 0;
        QByteArray base = QByteArray(user.given->folded).left(1);
        base += QByteArray(user.surname ? user.surname->folded : user.given->folded).left(7);
        QByteArray cn = base;
        for (int n = 2; logins.contains(cn); ++n)
            cn = base + QByteArray::number(n);
        logins.insert(cn);
        user.cn = cn;
        return user;
    }

    void writeUser(const User &user, const QByteArray &unitDn, const Region &region, bool first)
    {
        out << (first ? "" : ",\n") << "{\"name\": ";
        out.string("CN=" + user.cn);
        out << ", \"class\": \"User\", \"values\": {\"CN\": [";
        out.string(user.cn);
        out << "]";
        if (user.surname) {
            out << ", \"Surname\": [";
            out.string(user.surname->text);
            out << "]";
        }
        out << ", \"Given Name\": [";
        out.string(user.given->text);
        out << "]";
        if (user.surname) {
            out << ", \"Full Name\": [";
            out.string(QByteArray(user.given->text) + ' ' + user.surname->text);
            out << "]";
        }
        out << ", \"Title\": [";
        out.string(Titles[random.below(std::size(Titles))]);
        out << "], \"Telephone Number\": [";
        const quint32 phones = 1 + (random.below(10) >= 6) + (random.below(10) >= 8);
        for (quint32 p = 0; p < phones; ++p) {
            out << (p ? ", " : "");
            out.string(phoneNumber(p == 1 ? "+33 6" : region.phone));
        }
        out << "], \"Internet EMail Address\": [";
        out.string((user.surname ? QByteArray(user.given->folded) + '.' + user.surname->folded : user.cn) +
                   "@bench.fr");
        out << "], \"Login Grace Limit\": [" << qint64(random.below(4) == 0 ? 3 : 6) << "]";
        out << ", \"Login Disabled\": [" << (random.below(25) == 0 ? "true" : "false") << "]";
        out << ", \"Last Login Time\": [" << qint64(Now - random.below(180 * Day)) << "]";
        out << ", \"Password Expiration Interval\": [" << qint64((random.below(2) ? 90 : 60) * Day) << "]";
        if (user.member) {
            out << ", \"Group Membership\": [";
            out.string("Équipe." + unitDn);
            out << "]";
        }
        out << "}}";
    }

    void writeGroup(const QByteArray &unitDn, bool first)
    {
        out << (first ? "" : ",\n")
            << "{\"name\": \"CN=Équipe\", \"class\": \"Group\", \"values\": {\"CN\": "
               "[\"Équipe\"], \"Description\": [";
        out.string("Équipe du service, " + unitDn);
        out << "]";
        bool any = false;
        for (const User &user : users) {
            if (!user.member)
                continue;
            out << (any ? ", " : ", \"Member\": [");
            out.string(user.cn + '.' + unitDn);
            any = true;
        }
        out << (any ? "]}}" : "}}");
    }

    QByteArray phoneNumber(const char *prefix)
    {
        char digits[16];
        std::snprintf(digits, sizeof digits, " %02u %02u %02u %02u", 10 + random.below(90), random.below(100),
                      random.below(100), random.below(100));
        return QByteArray(prefix) + digits;
    }

    Output &out;
    const Plan &plan;
    qint64 budget;
    Random random;
    std::vector<User> users;
    QSet<QByteArray> logins;
};

// The first tree's schema of a directory file, after checking that it defines what the
// generator writes. Empty with a message on failure.
QByteArray readSchema(const QString &path, QString &error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return {};
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parseError);
    const QJsonObject schema = document.object().value("trees").toArray().at(0).toObject().value("schema").toObject();
    if (document.isNull() || schema.isEmpty()) {
        error = QStringLiteral("%1: no schema in the first tree (%2)").arg(path, parseError.errorString());
        return {};
    }
    QHash<QString, int> syntaxes;
    for (const QJsonValue &attribute : schema.value("attributes").toArray())
        syntaxes.insert(attribute.toObject().value("name").toString(), attribute.toObject().value("syntax").toInt());
    for (const UsedAttribute &used : UsedAttributes) {
        if (syntaxes.value(QString::fromUtf8(used.name), -1) != used.syntax) {
            error = QStringLiteral("%1: attribute \"%2\" is not defined with syntax %3")
                        .arg(path, QString::fromUtf8(used.name))
                        .arg(used.syntax);
            return {};
        }
    }
    QSet<QString> classes;
    for (const QJsonValue &cls : schema.value("classes").toArray())
        classes.insert(cls.toObject().value("name").toString());
    for (const char *used : UsedClasses) {
        if (!classes.contains(QString::fromUtf8(used))) {
            error = QStringLiteral("%1: class \"%2\" is not defined").arg(path, QString::fromUtf8(used));
            return {};
        }
    }
    return QJsonDocument(schema).toJson(QJsonDocument::Compact);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription("Writes a directory file of N objects for benchmarks.");
    parser.addHelpOption();
    parser.addPositionalArgument("N", "Number of objects (1 to 10000000).");
    parser.addPositionalArgument("OUT.json", "Directory file to write.");
    parser.addOption({"seed", "Seed of the random choices (default 1).", "S", "1"});
    parser.addOption({"schema", "Directory file whose first tree's schema is copied.", "FILE",
                      QStringLiteral(VELTRANE_DEMO_DIRECTORY)});
    parser.process(app);

    const QStringList args = parser.positionalArguments();
    bool countOk = false, seedOk = false;
    const qint64 objects = args.size() == 2 ? args[0].toLongLong(&countOk) : 0;
    const quint64 seed = parser.value("seed").toULongLong(&seedOk);
    if (args.size() != 2 || !countOk || objects < 1 || objects > 10000000 || !seedOk) {
        std::fprintf(stderr, "usage: gen_directory N OUT.json [--seed S] [--schema FILE]\n");
        return 2;
    }

    QString error;
    const QByteArray schema = readSchema(parser.value("schema"), error);
    if (schema.isEmpty()) {
        std::fprintf(stderr, "gen_directory: %s\n", qPrintable(error));
        return 1;
    }

    QElapsedTimer timer;
    timer.start();
    QSaveFile file(args[1]);
    if (!file.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "gen_directory: %s: %s\n", qPrintable(args[1]), qPrintable(file.errorString()));
        return 1;
    }
    Output out(file);
    Random planRandom(seed ^ 0x5EED);
    const Plan plan = makePlan(objects, planRandom);
    out << "{\n\"trees\": [{\"name\": \"BENCH\", \"identity\": \"Admin.Bench\", \"defaultContext\": \"Bench\",\n"
           "\"schema\": "
        << schema << ",\n\"objects\": [\n";
    Generator(out, plan, objects, seed).writeObjects();
    out << "\n]}]\n}\n";
    if (!out.finish() || !file.commit()) {
        std::fprintf(stderr, "gen_directory: %s: %s\n", qPrintable(args[1]), qPrintable(file.errorString()));
        return 1;
    }
    std::fprintf(stderr, "gen_directory: %lld objects, %lld bytes in %lld ms\n", objects,
                 static_cast<long long>(QFile(args[1]).size()), static_cast<long long>(timer.elapsed()));
    return 0;
}
