#include "classify/rule_rows.h"

#include "classify/rule_files.h"
#include "platform/bytes.h"

#include <array>

namespace tw {

namespace {

struct OperatorChoice {
    const char *caption;
    const char *stored;
};

constexpr std::array<OperatorChoice, kOperatorChoiceCount> kOperatorChoices = {{
    {"Contains", "Contains"},
    {"Contains (whole word)", "Contains (whole word)"},
    {"Equals (exact match)", "Equals"},
    {"Starts with", "Starts with"},
    {"Ends with", "Ends with"},
    {"Is blank or empty", "Is blank"},
    {"Is all UPPERCASE", "Is UPPERCASE"},
    {"Is ALL numeric", "All numeric"},
    {"Is at least 1/2 numeric", "50% numeric"},
    {"Starts with a number", "First char numeric"},
}};

const char *yesNo(bool value) { return value ? "Yes" : "No"; }

void keepHitCount(RuleTable &table, int row, int hitsCol)
{
    if (table.cell(hitsCol, row).empty())
        table.setCell(hitsCol, row, "0");
}

int knownOperatorOr(const std::string &name, int current)
{
    const int index = operatorIndex(name);
    return index < 0 ? current : index;
}

} // namespace

const char *operatorCaption(int index)
{
    return index >= 0 && index < kOperatorChoiceCount ? kOperatorChoices[size_t(index)].caption : "";
}

std::string storedOperator(int index)
{
    return index >= 0 && index < kOperatorChoiceCount ? kOperatorChoices[size_t(index)].stored : "";
}

int operatorIndex(const std::string &name)
{
    for (int i = 0; i < kOperatorChoiceCount; ++i)
        if (name == kOperatorChoices[size_t(i)].stored)
            return i;
    return -1;
}

// ---- Subject ---------------------------------------------------------------

SubjectRuleFields subjectFieldsFromRow(const RuleTable &table, int row, const SubjectRuleFields &current)
{
    SubjectRuleFields fields = current;
    fields.op = knownOperatorOr(table.cell(col::What, row), current.op);
    fields.text = table.cell(col::Matches, row);
    fields.caseMatters = table.cell(col::Case, row) == "Yes";
    fields.checkMark = table.cell(col::Delete, row) == "Yes";
    return fields;
}

std::string subjectFieldsError(const SubjectRuleFields &fields)
{
    if (fields.op < kTextOperatorCount && isBlank(fields.text))
        return "The From field cannot be left blank.";
    return std::string();
}

void writeSubjectRow(const SubjectRuleFields &fields, RuleTable &table, int row)
{
    const bool usesText = fields.op < kTextOperatorCount;
    table.setCell(col::What, row, storedOperator(fields.op));
    table.setCell(col::Matches, row, usesText ? trimmed(fields.text) : std::string());
    table.setCell(col::Case, row, usesText ? yesNo(fields.caseMatters) : "");
    table.setCell(col::Delete, row, yesNo(fields.checkMark));
    keepHitCount(table, row, col::Hits);
}

// ---- Sender ----------------------------------------------------------------

SenderRuleFields senderFieldsFromRow(const RuleTable &table, int row, const SenderRuleFields &current)
{
    SenderRuleFields fields = current;
    fields.domainName = table.cell(col::What, row) != "E-mail address";
    fields.op = knownOperatorOr(table.cell(col::SenderCondition, row), current.op);
    fields.checkMark = table.cell(col::Delete, row) == "Yes";
    fields.text = fields.op < kTextOperatorCount ? table.cell(col::SenderMatches, row) : std::string();
    return fields;
}

std::string senderFieldsError(const SenderRuleFields &fields)
{
    if (fields.op < kTextOperatorCount && isBlank(fields.text))
        return "The Sender field cannot be left blank.";
    return std::string();
}

void writeSenderRow(const SenderRuleFields &fields, RuleTable &table, int row)
{
    table.setCell(col::What, row, fields.domainName ? "Domain name" : "E-mail address");
    table.setCell(col::SenderCondition, row, storedOperator(fields.op));
    table.setCell(col::SenderMatches, row, fields.op < kTextOperatorCount ? trimmed(fields.text) : std::string());
    table.setCell(col::Delete, row, yesNo(fields.checkMark));
    keepHitCount(table, row, col::Hits);
}

// ---- Header ----------------------------------------------------------------

std::string mailboxNumberOfLine(const std::string &line)
{
    const size_t paren = line.find(')');
    return paren == std::string::npos ? line : line.substr(0, paren);
}

HeaderRuleFields headerFieldsFromRow(const RuleTable &table, int row, const HeaderRuleFields &current)
{
    HeaderRuleFields fields = current;
    fields.kind = HeaderRuleFields::Kind::MessageHeader;
    fields.op = knownOperatorOr(table.cell(col::What, row), current.op);
    fields.headerText = table.cell(col::Matches, row);
    fields.caseMatters = table.cell(col::Case, row) == "Yes";
    fields.checkMark = table.cell(col::Delete, row) == "Yes";
    const std::string &what = table.cell(col::What, row);
    const std::string &matches = table.cell(col::Matches, row);
    if (matches == "does not match Reply-to") {
        fields.kind = HeaderRuleFields::Kind::ReplyToMismatch;
        fields.headerText.clear();
    } else if (matches == "equals To field") {
        fields.kind = HeaderRuleFields::Kind::FromEqualsTo;
        fields.headerText.clear();
    } else if (what.find("To does not contain") != std::string::npos) {
        fields.kind = HeaderRuleFields::Kind::ToLacks;
        fields.headerText.clear();
        const size_t marker = matches.find(kMailboxMarker);
        fields.toAddress = matches.substr(0, marker);
        fields.mailbox = marker == std::string::npos ? std::string()
                                                      : matches.substr(marker + std::string_view(kMailboxMarker).size());
    }
    return fields;
}

std::string headerFieldsError(const HeaderRuleFields &fields)
{
    if (fields.kind == HeaderRuleFields::Kind::MessageHeader && fields.headerText.empty())
        return "The header text cannot be blank";
    if (fields.kind == HeaderRuleFields::Kind::ToLacks && fields.toAddress.empty())
        return "The TO field cannot be blank";
    return std::string();
}

void writeHeaderRow(const HeaderRuleFields &fields, RuleTable &table, int row)
{
    using Kind = HeaderRuleFields::Kind;
    table.setCell(col::What, row, storedOperator(fields.op));
    table.setCell(col::Matches, row, fields.headerText);
    table.setCell(col::Case, row, yesNo(fields.caseMatters));
    table.setCell(col::Delete, row, yesNo(fields.checkMark));
    switch (fields.kind) {
    case Kind::ReplyToMismatch:
        table.setCell(col::What, row, "Sender");
        table.setCell(col::Matches, row, "does not match Reply-to");
        table.setCell(col::Case, row, "No");
        break;
    case Kind::FromEqualsTo:
        table.setCell(col::What, row, "Sender");
        table.setCell(col::Matches, row, "equals To field");
        table.setCell(col::Case, row, "No");
        break;
    case Kind::ToLacks: {
        const std::string address = fields.toAddress.substr(0, fields.toAddress.find(kMailboxMarker));
        table.setCell(col::What, row, "To does not contain");
        table.setCell(col::Matches, row, address + kMailboxMarker + fields.mailbox);
        table.setCell(col::Case, row, "No");
        break;
    }
    case Kind::MessageHeader:
        break;
    }
    keepHitCount(table, row, col::Hits);
}

// ---- Exceptions ------------------------------------------------------------

ExceptionRuleFields exceptionFieldsFromRow(const RuleTable &table, int row, const ExceptionRuleFields &current)
{
    using Kind = ExceptionRuleFields::Kind;
    ExceptionRuleFields fields = current;
    const std::string &what = table.cell(col::ExceptWhat, row);
    const std::string &matches = table.cell(col::ExceptMatches, row);
    if (what == "Domain name") {
        fields.kind = Kind::DomainName;
        fields.domain = matches;
    } else if (what == "E-mail address") {
        fields.kind = Kind::EmailAddress;
        fields.email = matches;
    } else {
        fields.kind = Kind::HeaderLine;
        fields.text = matches;
        fields.line = -1;
        for (int i = 0; i < kExceptionLineCount; ++i)
            if (sameText(what, kExceptionLines[i]) || (i == 0 && sameText(what, "Subject")))
                fields.line = i;
    }
    fields.op = knownOperatorOr(table.cell(col::ExceptCondition, row), current.op);
    fields.caseMatters = table.cell(col::ExceptCase, row) == "Yes";
    const std::string &image = table.cell(col::ExceptImage, row);
    fields.image = image.empty() ? kDefaultExceptionImage : toIntDef(image, kDefaultExceptionImage);
    if (fields.image < 3 || fields.image > 14)
        fields.image = kDefaultExceptionImage;
    return fields;
}

std::string exceptionFieldsError(const ExceptionRuleFields &fields)
{
    using Kind = ExceptionRuleFields::Kind;
    if (fields.kind == Kind::EmailAddress && fields.email.empty())
        return "The email line cannot be blank";
    if (fields.kind == Kind::DomainName && fields.domain.empty())
        return "The domain line cannot be blank";
    if (fields.kind == Kind::HeaderLine && fields.text.empty())
        return "The subject line cannot be blank";
    return std::string();
}

void writeExceptionRow(const ExceptionRuleFields &fields, RuleTable &table, int row)
{
    using Kind = ExceptionRuleFields::Kind;
    switch (fields.kind) {
    case Kind::EmailAddress:
        table.setCell(col::ExceptWhat, row, "E-mail address");
        table.setCell(col::ExceptMatches, row, fields.email);
        break;
    case Kind::DomainName:
        table.setCell(col::ExceptWhat, row, "Domain name");
        table.setCell(col::ExceptMatches, row, fields.domain);
        break;
    case Kind::HeaderLine:
        table.setCell(col::ExceptWhat, row,
                      fields.line >= 0 && fields.line < kExceptionLineCount ? kExceptionLines[fields.line] : "");
        table.setCell(col::ExceptMatches, row, fields.text);
        break;
    }
    table.setCell(col::ExceptCondition, row, fields.kind == Kind::HeaderLine ? storedOperator(fields.op) : "Equals");
    table.setCell(col::ExceptCase, row, yesNo(fields.caseMatters));
    keepHitCount(table, row, col::ExceptHits);
    table.setCell(col::ExceptImage, row, std::to_string(fields.image));
}

int exceptionImageCell(int image) { return (image == 0 ? 3 : image) - 3; }

int exceptionImageOfCell(int row, int column) { return row * 10 + column + 3; }

// ---- Country picker --------------------------------------------------------

const std::vector<std::string> &countryEntries()
{
    static const std::vector<std::string> entries = {
    "AF\tAfghanistan",
    "AL\tAlbania",
    "DZ\tAlgeria",
    "AS\tAmerican Samoa",
    "AD\tAndorra",
    "AO\tAngola",
    "AI\tAnguilla",
    "AQ\tAntarctica",
    "AG\tAntigua and Barbuda",
    "AR\tArgentina",
    "AM\tArmenia",
    "AW\tAruba",
    "AC\tAscension Island",
    "AU\tAustralia",
    "AT\tAustria",
    "AZ\tAzerbaijan",
    "BS\tBahamas",
    "BH\tBahrain",
    "BD\tBangladesh",
    "BB\tBarbados",
    "BY\tBelarus",
    "BE\tBelgium",
    "BZ\tBelize",
    "BJ\tBenin",
    "BM\tBermuda",
    "BT\tBhutan",
    "BO\tBolivia",
    "BA\tBosnia and Herzegovina",
    "BW\tBotswana",
    "BV\tBouvet Island",
    "BR\tBrazil",
    "IO\tBritish Indian Ocean Territory",
    "BN\tBrunei Darussalam",
    "BG\tBulgaria",
    "BF\tBurkina Faso",
    "BI\tBurundi",
    "KH\tCambodia",
    "CM\tCameroon",
    "CA\tCanada",
    "CV\tCape Verde",
    "KY\tCayman Islands",
    "CF\tCentral African Republic",
    "TD\tChad",
    "CL\tChile",
    "CN\tChina",
    "CX\tChristmas Island",
    "CC\tCocos (Keeling) Islands",
    "CO\tColombia",
    "KM\tComoros",
    "CD\tCongo, Democratic People's Republic",
    "CG\tCongo, Republic of",
    "CK\tCook Islands",
    "CR\tCosta Rica",
    "CI\tCote D'Ivoire (Ivory Coast)",
    "HR\tCroatia (Hrvatska)",
    "CU\tCuba",
    "CY\tCyprus",
    "CZ\tCzech Republic",
    "DK\tDenmark",
    "DJ\tDjibouti",
    "DM\tDominica",
    "DO\tDominican Republic",
    "TP\tEast Timor",
    "EC\tEcuador",
    "EG\tEgypt",
    "SV\tEl Salvador",
    "GQ\tEquatorial Guinea",
    "ER\tEritrea",
    "EE\tEstonia",
    "ET\tEthiopia",
    "FK\tFalkland Islands (Malvinas)",
    "FO\tFaroe Islands",
    "FJ\tFiji",
    "FI\tFinland",
    "FR\tFrance",
    "GF\tFrench Guiana",
    "PF\tFrench Polynesia",
    "TF\tFrench Southern Territories",
    "GA\tGabon",
    "GM\tGambia",
    "GE\tGeorgia",
    "DE\tGermany",
    "GH\tGhana",
    "GI\tGibraltar",
    "GR\tGreece",
    "GL\tGreenland",
    "GD\tGrenada",
    "GP\tGuadeloupe",
    "GU\tGuam",
    "GT\tGuatemala",
    "GN\tGuinea",
    "GW\tGuinea-Bissau",
    "GY\tGuyana",
    "HT\tHaiti",
    "HM\tHeard and McDonald Islands",
    "VA\tHoly See (Vatican City State)",
    "HN\tHonduras",
    "HK\tHong Kong",
    "HU\tHungary",
    "IS\tIceland",
    "IN\tIndia",
    "ID\tIndonesia",
    "IR\tIran (Islamic Republic of)",
    "IQ\tIraq",
    "IE\tIreland",
    "IM\tIsle of Man",
    "IL\tIsrael",
    "IT\tItaly",
    "JM\tJamaica",
    "JP\tJapan",
    "JE\tJersey",
    "JO\tJordan",
    "KZ\tKazakhstan",
    "KE\tKenya",
    "KI\tKiribati",
    "KP\tKorea (North)",
    "KR\tKorea (South)",
    "KW\tKuwait",
    "KG\tKyrgyzstan",
    "LA\tLao, People's Democratic Republic",
    "LV\tLatvia",
    "LB\tLebanon",
    "LS\tLesotho",
    "LR\tLiberia",
    "LY\tLibya",
    "LI\tLiechtenstein",
    "LT\tLithuania",
    "LU\tLuxembourg",
    "MO\tMacau",
    "MK\tMacedonia",
    "MG\tMadagascar",
    "MW\tMalawi",
    "MY\tMalaysia",
    "MV\tMaldives",
    "ML\tMali",
    "MT\tMalta",
    "MH\tMarshall Islands",
    "MQ\tMartinique",
    "MR\tMauritania",
    "MU\tMauritius",
    "YT\tMayotte",
    "MX\tMexico",
    "FM\tMicronesia",
    "MD\tMoldova",
    "MC\tMonaco",
    "MN\tMongolia",
    "MS\tMontserrat",
    "MA\tMorocco",
    "MZ\tMozambique",
    "MM\tMyanmar",
    "NA\tNamibia",
    "NR\tNauru",
    "NP\tNepal",
    "NL\tNetherlands",
    "AN\tNetherlands Antilles",
    "NC\tNew Caledonia",
    "NZ\tNew Zealand ",
    "NI\tNicaragua",
    "NE\tNiger",
    "NG\tNigeria",
    "NU\tNiue",
    "NF\tNorfolk Island",
    "MP\tNorthern Mariana Islands",
    "NO\tNorway",
    "OM\tOman",
    "PK\tPakistan",
    "PW\tPalau",
    "PA\tPanama",
    "PG\tPapua New Guinea",
    "PY\tParaguay",
    "PE\tPeru",
    "PH\tPhilippines",
    "PN\tPitcairn Island",
    "PL\tPoland",
    "PT\tPortugal",
    "PR\tPuerto Rico",
    "QA\tQatar",
    "RE\tReunion Island",
    "RO\tRomania",
    "RU\tRussian Federation",
    "RW\tRwanda",
    "KN\tSaint Kitts and Nevis",
    "LC\tSaint Lucia",
    "VC\tSaint Vincent and the Grenadines",
    "WS\tSamoa",
    "SM\tSan Marino",
    "ST\tSao Tome and Principe",
    "SA\tSaudi Arabia",
    "SN\tSenegal",
    "SC\tSeychelles",
    "SL\tSierra Leone",
    "SG\tSingapore",
    "SK\tSlovakia (Slovak Republic)",
    "SI\tSlovenia",
    "Sb\tSolomon Islands",
    "SO\tSomalia",
    "ZA\tSouth Africa",
    "GS\tSouth Georgia and Sandwich Isl.",
    "ES\tSpain",
    "LK\tSri Lanka",
    "SH\tSt. Helena",
    "PM\tSt. Pierre and Miquelon",
    "SD\tSudan",
    "SR\tSuriname",
    "SJ\tSvalbard and Jan Mayen Islands",
    "SZ\tSwaziland",
    "SE\tSweden",
    "CH\tSwitzerland",
    "SY\tSyrian Arab Republic",
    "TW\tTaiwan, Republic of China",
    "TJ\tTajikistan",
    "TZ\tTanzania",
    "TH\tThailand",
    "TG\tTogo",
    "TK\tTokelau",
    "TO\tTonga",
    "TT\tTrinidad and Tobago",
    "TN\tTunisia",
    "TR\tTurkey",
    "TM\tTurkmenistan",
    "TC\tTurks and Caicos Islands",
    "TV\tTuvalu",
    "UG\tUganda",
    "UA\tUkraine",
    "AE\tUnited Arab Emirates",
    "UK\tUnited Kingdom",
    "US\tUnited States",
    "UM\tU.S. Minor Outlying Islands",
    "UY\tUruguay",
    "UZ\tUzbekistan",
    "VU\tVanuatu",
    "VA\tVatican City State (Holy See)",
    "VE\tVenezuela",
    "VN\tViet Nam",
    "VG\tVirgin Islands (British)",
    "VI\tVirgin Islands (U.S.)",
    "WF\tWallis and Futuna Islands",
    "EH\tWestern Sahara",
    "YE\tYemen",
    "YU\tYugoslavia",
    "ZR\tZaire",
    "ZM\tZambia",
    "ZW\tZimbabwe",
    };
    return entries;
}

std::string countrySuffix(const std::string &entry) { return "." + entry.substr(0, entry.find('\t')); }

std::string countryName(const std::string &entry)
{
    const size_t tab = entry.find('\t');
    return tab == std::string::npos ? std::string() : entry.substr(tab + 1);
}

// ---- Import ----------------------------------------------------------------

std::vector<std::string> withoutConsecutiveRepeats(const std::vector<std::string> &lines)
{
    std::vector<std::string> kept;
    for (size_t i = 0; i < lines.size(); ++i)
        if (i == 0 || lines[i] != lines[i - 1])
            kept.push_back(lines[i]);
    return kept;
}

} // namespace tw
