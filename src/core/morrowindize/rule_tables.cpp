#include "morrowindize/rule_tables.h"

#include <algorithm>

namespace vellum {

namespace {

constexpr Case Sensitive = Case::Sensitive;
constexpr Case Ignore = Case::Ignore;
constexpr RowUse OnlyWithTemple = RowUse::OnlyWithTemple;

// British spellings and common misspellings, all case-sensitive.
constexpr RuleRow kSpelling[] = {
    {"apologise", "apologize", Sensitive},   {"Apologise", "Apologize", Sensitive},
    {"realise", "realize", Sensitive},       {"Realise", "Realize", Sensitive},
    {"specialise", "specialize", Sensitive}, {"Specialise", "Specialize", Sensitive},
    {"paralise", "paralyze", Sensitive},     {"Paralise", "Paralyze", Sensitive},
    {"paralyse", "paralyze", Sensitive},     {"Paralyse", "Paralyze", Sensitive},
    {"recieve", "receive", Sensitive},       {"Recieve", "Receive", Sensitive},
    {"neighbour", "neighbor", Sensitive},    {"Neighbour", "Neighbor", Sensitive},
    {"Armour", "Armor", Sensitive},          {"armour", "armor", Sensitive},
    {"Colour", "Color", Sensitive},          {"colour", "color", Sensitive},
    {"honour", "honor", Sensitive},          {"Honour", "Honor", Sensitive},
    {"rumour", "rumor", Sensitive},          {"Rumour", "Rumor", Sensitive},
    {"favour", "favor", Sensitive},          {"Favour", "Favor", Sensitive},
    {"defence", "defense", Sensitive},       {"Defence", "Defense", Sensitive},
    {"behaviour", "behavior", Sensitive},    {"Behaviour", "Behavior", Sensitive},
    {"bahavior", "behavior", Sensitive},     {"bahaviour", "behavior", Sensitive},
    {"Bahaviour", "Behavior", Sensitive},    {"traveller", "traveler", Sensitive},
    {"Traveller", "Traveler", Sensitive},    {"travelled", "traveled", Sensitive},
    {"Travelled", "Traveled", Sensitive},    {"travelling", "traveling", Sensitive},
    {"Travelling", "Traveling", Sensitive},  {"judgement", "judgment", Sensitive},
    {"Judgement", "Judgment", Sensitive},
};

// Proper names of the game world, ignoring case except where marked.
constexpr RuleRow kNames[] = {
    {"&", " and ", Ignore},
    {"nirn", "Nirn", Ignore},
    {"mundus", "Mundus", Ignore},
    {"oblivion", "Oblivion", Ignore},
    {"tamriel", "Tamriel", Ignore},
    {"tamril", "Tamriel", Ignore},
    {"tamrel", "Tamriel", Ignore},
    {"tamriil", "Tamriel", Ignore},
    {"tamreel", "Tamriel", Ignore},
    {"empire", "Empire", Ignore},
    {"akavir", "Akavir", Ignore},
    {"akaviir", "Akavir", Ignore},
    {"akvir", "Akavir", Ignore},
    {"akviir", "Akavir", Ignore},
    {"atmora", "Atmora", Ignore},
    {"padomaic", "Padomaic", Ignore},
    {"padomic", "Padomaic", Ignore},
    {"padomaic Ocean", "Padomaic Ocean", Ignore},
    {"morrowind", "Morrowind", Ignore},
    {"morowind", "Morrowind", Ignore},
    {"Morriwnd", "Morrowind", Ignore},
    {"vvardenfell", "Vvardenfell", Ignore},
    {"vvanderfell", "Vvardenfell", Ignore},
    {"blacklight", "Blacklight", Ignore},
    {"necrom", "Necrom", Ignore},
    {"narsis", "Narsis", Ignore},
    {"narses", "Narsis", Ignore},
    {"red mountain", "Red Mountain", Ignore},
    {"red-mountain", "Red Mountain", Ignore},
    {"redmountain", "Red Mountain", Ignore},
    {"sea of ghosts", "Sea Of Ghosts", Ignore},
    {"sea-of-ghosts", "Sea Of Ghosts", Ignore},
    {"seaofghosts", "Sea Of Ghosts", Ignore},
    {"hammerfell", "Hammerfell", Ignore},
    {"hamerfell", "Hammerfell", Ignore},
    {"hegathe", "Hegathe", Ignore},
    {"stros m'kai", "Stros m'Kai", Ignore},
    {"stros m'kei", "Stros m'Kai", Ignore},
    {"taneth", "Taneth", Ignore},
    {"rihad", "Rihad", Ignore},
    {"rehad", "Rihad", Ignore},
    {"elinhir", "Elinhir", Ignore},
    {"elinher", "Elinhir", Ignore},
    {"elnhir", "Elinhir", Ignore},
    {"elnher", "Elinhir", Ignore},
    {"elenhir", "Elinhir", Ignore},
    {"elenher", "Elinhir", Ignore},
    {"high rock", "High Rock", Ignore},
    {"high-rock", "High Rock", Ignore},
    {"highrock", "High Rock", Ignore},
    {"camlarn", "Camlarn", Ignore},
    {"wayrest", "Wayrest", Ignore},
    {"jehanna", "Jehanna", Ignore},
    {"daggerfall", "Daggerfall", Ignore},
    {"cyrodiil", "Cyrodiil", Ignore},
    {"cyrodil", "Cyrodiil", Ignore},
    {"cirodiil", "Cyrodiil", Ignore},
    {"cirodil", "Cyrodiil", Ignore},
    {"skingrad", "Skingrad", Ignore},
    {"skengrad", "Skingrad", Ignore},
    {"skingard", "Skingrad", Ignore},
    {"skengard", "Skingrad", Ignore},
    {"sutch", "Sutch", Ignore},
    {"kvatch", "Kvatch", Ignore},
    {"kvutch", "Kvatch", Ignore},
    {"elsweyr", "Elsweyr", Ignore},
    {"elswer", "Elsweyr", Ignore},
    {"elsweir", "Elsweyr", Ignore},
    {"alsweyr", "Elsweyr", Ignore},
    {"alswer", "Elsweyr", Ignore},
    {"rimmen", "Rimmen", Ignore},
    {"rimen", "Rimmen", Ignore},
    {"torval", "Torval", Ignore},
    {"torvul", "Torval", Ignore},
    {"torvol", "Torval", Ignore},
    {"tarval", "Torval", Ignore},
    {"tarvol", "Torval", Ignore},
    {"senchel", "Senchel", Ignore},
    {"sentchel", "Senchel", Ignore},
    {"sinchel", "Senchel", Ignore},
    {"sintchel", "Senchel", Ignore},
    {"valenwood", "Valenwood", Ignore},
    {"valanwood", "Valenwood", Ignore},
    {"velenwood", "Valenwood", Ignore},
    {"velanwood", "Valenwood", Ignore},
    {"valen wood", "Valenwood", Ignore},
    {"valen-wood", "Valenwood", Ignore},
    {"falinesti", "Falinesti", Ignore},
    {"falenesti", "Falinesti", Ignore},
    {"falinisti", "Falinesti", Ignore},
    {"falenisti", "Falinesti", Ignore},
    {"summerset", "Summerset", Ignore},
    {"sammerset", "Summerset", Ignore},
    {"summer-set", "Summerset", Ignore},
    {"summerset isle", "Summerset Isle", Ignore},
    {"sammerset isle", "Summerset Isle", Ignore},
    {"summer-set isle", "Summerset Isle", Ignore},
    {"firsthold", "Firsthold", Ignore},
    {"first-hold", "Firsthold", Ignore},
    {"skywatch", "Skywatch", Ignore},
    {"cloudrest", "Cloudrest", Ignore},
    {"cloud-rest", "Cloudrest", Ignore},
    {"lillandrill", "Lillandril", Ignore},
    {"lilandrill", "Lillandril", Ignore},
    {"lillandril", "Lillandril", Ignore},
    {"lilandril", "Lillandril", Ignore},
    {"lellandril", "Lillandril", Ignore},
    {"lelandril", "Lillandril", Ignore},
    {"alinor", "Alinor", Ignore},
    {"alenor", "Alinor", Ignore},
    {"skyrim", "Skyrim", Ignore},
    {"sky-rim", "Skyrim", Ignore},
    {"skirim", "Skyrim", Ignore},
    {"ski-rim", "Skyrim", Ignore},
    {"haafingar", "Haafingar", Ignore},
    {"hafingar", "Haafingar", Ignore},
    {"haafinger", "Haafingar", Ignore},
    {"hafinger", "Haafingar", Ignore},
    {"haafengar", "Haafingar", Ignore},
    {"hafengar", "Haafingar", Ignore},
    {"haafenger", "Haafingar", Ignore},
    {"hafenger", "Haafingar", Ignore},
    {"karthwasten", "Karthwasten", Ignore},
    {"karthwesten", "Karthwasten", Ignore},
    {"karthwaasten", "Karthwasten", Ignore},
    {"kaarthwasten", "Karthwasten", Ignore},
    {"falkreath", "Falkreath", Ignore},
    {"falkreach", "Falkreath", Ignore},
    {"falkrech", "Falkreath", Ignore},
    {"falkreech", "Falkreath", Ignore},
    {"folkreach", "Falkreath", Ignore},
    {"riften", "Riften", Ignore},
    {"riftin", "Riften", Ignore},
    {"reftin", "Riften", Ignore},
    {"reften", "Riften", Ignore},
    {"rifften", "Riften", Ignore},
    {"refften", "Riften", Ignore},
    {"rieften", "Riften", Ignore},
    {"reiften", "Riften", Ignore},
    {"windhelm", "Windhelm", Ignore},
    {"windhelm", "Windhelm", Ignore},
    {"winterhold", "Winterhold", Ignore},
    {"wenterhold", "Winterhold", Ignore},
    {"winter-hold", "Winterhold", Ignore},
    {"black marsh", "Black Marsh", Ignore},
    {"black-marsh", "Black Marsh", Ignore},
    {"blackmarsh", "Black Marsh", Ignore},
    {"blck marsh", "Black Marsh", Ignore},
    {"argonia", "Argonia", Ignore},
    {"soulrest", "Soulrest", Ignore},
    {"soul-rest", "Soulrest", Ignore},
    {"bitter coast", "Bitter Coast", Ignore},
    {"bitter cast", "Bitter Coast", Ignore},
    {"bitter-coast", "Bitter Coast", Ignore},
    {"bitter-cast", "Bitter Coast", Ignore},
    {"azura's coast", "Azura's Coast", Ignore},
    {"azura coast", "Azura's Coast", Ignore},
    {"azuras coast", "Azura's Coast", Ignore},
    {"azuras' coast", "Azura's Coast", Ignore},
    {"molag mar", "Molag Mar", Ignore},
    {"ashland", "Ashland", Ignore},
    {"west gash", "West Gash", Ignore},
    {"ascadian", "Ascadian", Ignore},
    {"ascadin", "Ascadian", Ignore},
    {"ascadian isle", "Ascadian Isle", Ignore},
    {"grazelands", "Grazelands", Ignore},
    {"graselands", "Grazelands", Ignore},
    {"sheogorad", "Sheogorad", Ignore},
    {"balmora", "Balmora", Ignore},
    {"vivec", "Vivec", Ignore},
    {"vivic", "Vivec", Ignore},
    {"maar gan", "Maar Gan", Ignore},
    {"mar gaan", "Maar Gan", Ignore},
    {"mar gan", "Maar Gan", Ignore},
    {"khuul", "Khuul", Ignore},
    {" khul", " Khuul", Ignore},
    {"khul ", "Khuul ", Ignore},
    {"mournhold", "Mournhold", Ignore},
    {"almalexia", "Almalexia", Ignore},
    {"pelagiad", "Pelagiad", Ignore},
    {"pelegiad", "Pelagiad", Ignore},
    {"ald'ruhn", "Ald'ruhn", Ignore},
    {"aldruhn", "Ald'ruhn", Ignore},
    {"ald'rhun", "Ald'ruhn", Ignore},
    {"ald ruhn", "Ald'ruhn", Ignore},
    {"ald rhun", "Ald'ruhn", Ignore},
    {"ahemussa", "Ahemussa", Ignore},
    {"ahemussa camp", "Ahemussa Camp", Ignore},
    {"erabenimsun", "Erabenimsun", Ignore},
    {"erabinimsun", "Erabenimsun", Ignore},
    {"erabininsun", "Erabenimsun", Ignore},
    {"erabininsum", "Erabenimsun", Ignore},
    {"erabeninsun", "Erabenimsun", Ignore},
    {"erabeninsum", "Erabenimsun", Ignore},
    {"erabenimsun camp", "Erabenimsun Camp", Ignore},
    {"zanib", "Zainab", Ignore},
    {"zanib camp", "Zainab Camp", Ignore},
    {"velothi", "Velothi", Ignore},
    {"ald velothi", "Ald Velothi", Ignore},
    {"buckmoth", "Buckmoth", Ignore},
    {"caldera", "Caldera", Ignore},
    {"dagon fel", "Dagon Fel", Ignore},
    {"degon fel", "Dagon Fel", Ignore},
    {"ebonheart", "Ebonheart", Ignore},
    {"ebonhart", "Ebonheart", Ignore},
    {"ebonhert", "Ebonheart", Ignore},
    {"ebonhaert", "Ebonheart", Ignore},
    {"ebon heart", "Ebonheart", Ignore},
    {"ebon hart", "Ebonheart", Ignore},
    {"ghostgate", "Ghostgate", Ignore},
    {"ghostfence", "Ghostfence", Ignore},
    {"gnaar mok", "Gnaar Mok", Ignore},
    {"gnaar mokk", "Gnaar Mok", Ignore},
    {"gnar mok", "Gnaar Mok", Ignore},
    {"gnisis", "Gnisis", Ignore},
    {"hla oad", "Hla Oad", Ignore},
    {"ministry of truth", "Ministry of Truth", Ignore},
    {"molag mar", "Molag Mar", Ignore},
    {"moonmoth", "Moonmoth", Ignore},
    {"moonmoth", "Moonmoth", Ignore},
    {"sadrith mora", "Sadrith Mora", Ignore},
    {"seyda neen", "Seyda Neen", Ignore},
    {"seyda nen", "Seyda Neen", Ignore},
    {"seida neen", "Seyda Neen", Ignore},
    {"seida nen", "Seyda Neen", Ignore},
    {"seda neen", "Seyda Neen", Ignore},
    {"seda nen", "Seyda Neen", Ignore},
    {"suran", "Suran", Ignore},
    {"tel aruhn", "Tel Aruhn", Ignore},
    {"tel branora", "Tel Branora", Ignore},
    {"tel mora", "Tel Mora", Ignore},
    {"tel uvirith", "Tel Uvirith", Ignore},
    {"tel vos", "Tel Vos", Ignore},
    {"urshilaku", "Urshilaku", Ignore},
    {"urshilaku camp", "Urshilaku Camp", Ignore},
    {"foreign quarter", "Foreign Quarter", Ignore},
    {"odai ", "Odai ", Ignore},
    {" odai", " Odai", Ignore},
    {"tribunal", "Tribunal", Ignore},
    {"almsivi", "Almsivi", Ignore},
    {"sotha sil", "Sotha Sil", Ignore},
    {"sothe sil", "Sotha Sil", Ignore},
    {"sothasil", "Sotha Sil", Ignore},
    {"soth sil", "Sotha Sil", Ignore},
    {"sotha-sil", "Sotha Sil", Ignore},
    {"hircine", "Hircine", Ignore},
    {"hercine", "Hircine", Ignore},
    {"dagoth", "Dagoth", Ignore},
    {"dagoth ur", "Dagoth Ur", Ignore},
    {"boethiah", "Boethiah", Ignore},
    {"boethieh", "Boethiah", Ignore},
    {"bothiah", "Boethiah", Ignore},
    {"mephala", "Mephala", Ignore},
    {"miphala", "Mephala", Ignore},
    {"azura", "Azura", Ignore},
    {"malacath", "Malacath", Ignore},
    {"mehrunes dagon", "Mehrunes Dagon", Ignore},
    {"dagon", "Dagon", Ignore},
    {"mehrunes", "Mehrunes", Ignore},
    {"molag bal", "Molag Bal", Ignore},
    {"sheogorath", "Sheogorath", Ignore},
    {"nine divines", "Nine Divines", Ignore},
    {"aedra", "Aedra", Ignore},
    {"aedric", "Aedric", Ignore},
    {"akatosh", "Akatosh", Ignore},
    {"dibella", "Dibella", Ignore},
    {"arkay", "Arkay", Ignore},
    {"zenithar", "Zenithar", Ignore},
    {"mara ", "Mara ", Ignore},
    {"mara,", "Mara,", Ignore},
    {"mara.", "Mara.", Ignore},
    {"stendarr", "Stendarr", Ignore},
    {"kynareth", "Kynareth", Ignore},
    {"kinareth", "Kynareth", Ignore},
    {"julianos", "Julianos", Ignore},
    {"tiber septim", "Tiber Septim", Ignore},
    {"tiber", "Tiber", Ignore},
    {"akulakhan", "Akulakhan", Ignore},
    {"lorkhan", "Lorkhan", Ignore},
    {"st. delyn", "St. Delyn", Ignore},
    {"st. olms", "St. Olms", Ignore},
    {"st. aralor", "St. Aralor", Ignore},
    {"st. felms", "St. Felms", Ignore},
    {"st. llothis", "St. Llothis", Ignore},
    {"st. meris", "St. Meris", Ignore},
    {"st. rilms", "St. Rilms", Ignore},
    {"st. roris", "St. Roris", Ignore},
    {"st. seryn", "St. Seryn", Ignore},
    {"st. veloth", "St. Veloth", Ignore},
    {"saint delyn", "Saint Delyn", Ignore},
    {"saint olms", "Saint Olms", Ignore},
    {"saint aralor", "Saint Aralor", Ignore},
    {"saint felms", "Saint Felms", Ignore},
    {"saint llothis", "Saint Llothis", Ignore},
    {"saint meris", "Saint Meris", Ignore},
    {"saint rilms", "Saint Rilms", Ignore},
    {"saint roris", "Saint Roris", Ignore},
    {"saint seryn", "Saint Seryn", Ignore},
    {"saint veloth", "Saint Veloth", Ignore},
    {"khajiit", "Khajiit", Ignore},
    {"khajit", "Khajiit", Ignore},
    {"dunmer", "Dunmer", Ignore},
    {"imperial", "Imperial", Ignore},
    {"breton", "Breton", Ignore},
    {"altmer", "Altmer", Ignore},
    {"bosmer", "Bosmer", Ignore},
    {"wood elf", "Wood Elf", Ignore},
    {"high elf", "High Elf", Ignore},
    {"dark elf", "Dark Elf", Ignore},
    {"redguard", "Redguard", Ignore},
    {"orc ", "Orc ", Ignore},
    {" orc", " Orc", Ignore},
    {"argonian", "Argonian", Ignore},
    {" imperial", " Imperial", Ignore},
    {"imperial ", "Imperial ", Ignore},
    {" imperial", " Imperial", Ignore},
    {"falmer", "Falmer", Ignore},
    {"chimer", "Chimer", Ignore},
    {"sload", "Sload", Ignore},
    {"camonna", "Camonna", Ignore},
    {"cammona", "Camonna", Ignore},
    {"camonna tong", "Camonna Tong", Ignore},
    {"cammona tong", "Camonna Tong", Ignore},
    {"mages guild", "Mages Guild", Ignore},
    {"mages' guild", "Mages Guild", Ignore},
    {"mage's guild", "Mages Guild", Ignore},
    {"mage guild", "Mages Guild", Ignore},
    {"fighters guild", "Fighters Guild", Ignore},
    {"fighter's guild", "Fighters Guild", Ignore},
    {"fighters' guild", "Fighters Guild", Ignore},
    {"fighter guild", "Fighters Guild", Ignore},
    {"thieves guild", "Thieves Guild", Ignore},
    {"thieve's guild", "Thieves Guild", Ignore},
    {"thiev'es guild", "Thieves Guild", Ignore},
    {"thieves' guild", "Thieves Guild", Ignore},
    {"thiefs guild", "Thieves Guild", Ignore},
    {"thief's guild", "Thieves Guild", Ignore},
    {"thiefs' guild", "Thieves Guild", Ignore},
    {"thief guild", "Thieves Guild", Ignore},
    {"redoran", "Redoran", Ignore},
    {"hlaalu", "Hlaalu", Ignore},
    {"telvanni", "Telvanni", Ignore},
    {"telvani", "Telvanni", Ignore},
    {"great house", "Great House", Ignore},
    {"census and excise ", "Census and Excise ", Ignore},
    {"aundae", "Aundae", Ignore},
    {"berne", "Berne", Ignore},
    {"quarra", "Quarra", Ignore},
    {"imperial cult", "Imperial Cult", Ignore},
    {"morag tong", "Morag Tong", Ignore},
    {"talos", "Talos", Ignore},
    {"twin lamps", "Twin Lamps", Ignore},
    {"temple", "Temple", Ignore, OnlyWithTemple},
    {"bloodmoon", "Bloodmoon", Ignore},
    {"daedra", "Daedra", Ignore},
    {"deadra", "Daedra", Ignore},
    {"daedric", "Daedric", Ignore},
    {"deadric", "Daedric", Ignore},
    {"nerevar", "Nerevar", Ignore},
    {"nerevarine", "Nerevarine", Ignore},
    {"nerevanine", "Nerevarine", Ignore},
    {"nevevarine", "Nerevarine", Ignore},
    {"nevevanine", "Nerevarine", Ignore},
    {"nirevarine", "Nerevarine", Ignore},
    {"great house", "Great House", Ignore},
    {"dwemer", "Dwemer", Ignore},
    {"Gro-", "gro-", Ignore},
    {"Gro - ", "gro-", Ignore},
    {"Gro -", "gro-", Ignore},
    {"Gro- ", "gro-", Ignore},
    {"Gra-", "gra-", Ignore},
    {"Gra - ", "gra-", Ignore},
    {"Gra -", "gra-", Ignore},
    {"Gra- ", "gra-", Ignore},
    {"molag", "Molag", Ignore},
    {"indoril", "Indoril", Ignore},
    {"ogrim", "Ogrim", Ignore},
    {"ordinator", "Ordinator", Ignore},
    {" dren", " Dren", Ignore},
    {"sharmat", "Sharmat", Ignore},
    {"gulakhan", "Gulakhan", Ignore},
    {"ashkhan", "Ashkhan", Ignore},
    {"dumac", "Dumac", Ignore},
    {"kagrenac", "Kagrenac", Ignore},
    {"kagrenak", "Kagrenac", Ignore},
    {"hortator", "Hortator", Ignore},
    {"house dres", "House Dres", Ignore},
    {"jobasha", "Jobasha", Ignore},
    {"keening", "Keening", Ignore},
    {" sunder", " Sunder", Ignore},
    {"sunder ", "Sunder ", Ignore},
    {"kuama", "kwama", Sensitive},
    {"Kuama", "Kwama", Sensitive},
    {"alma rula", "Alma Rula", Ignore},
    {"arnsetia", "Arnestia", Ignore},
    {"sanguine", "Sanguine", Ignore},
    {"blight", "Blight", Ignore},
    {"nwah", "n'wah", Sensitive},
    {"Nwah", "N'wah", Sensitive},
    {" swit ", " s'wit ", Sensitive},
    {" Swit ", " S'wit ", Sensitive},
};

// Modern slang and internet abbreviations, all case-sensitive.
constexpr RuleRow kSlang[] = {
    {" gonna", " going to", Sensitive},
    {"gonna ", "going to ", Sensitive},
    {" Gonna", " Going to", Sensitive},
    {"Gonna ", "Going to ", Sensitive},
    {" GONNA", " Going to", Sensitive},
    {"GONNA ", "Going to ", Sensitive},
    {" wanna", " want to", Sensitive},
    {"wanna ", "want to ", Sensitive},
    {" Wanna", " Want to", Sensitive},
    {"Wanna ", "Want to ", Sensitive},
    {" WANNA", " Want to", Sensitive},
    {"WANNA ", "Want to ", Sensitive},
    {"dollar", "drake", Sensitive},
    {"Dollar", "Drake", Sensitive},
    {"Euro", "Drake", Sensitive},
    {"euro", "drake", Sensitive},
    {" dude", " guy", Sensitive},
    {" Dude", " Guy", Sensitive},
    {"IMHO", "in my humble opinion", Sensitive},
    {"IMO", "in my opinion", Sensitive},
    {"rox ", "rocks ", Sensitive},
    {"Rox ", "Rocks ", Sensitive},
    {" rox", " rocks", Sensitive},
    {" Rox", " Rocks", Sensitive},
    {"suxx", "sucks", Sensitive},
    {"Suxx", "Sucks", Sensitive},
    {"sux ", "sucks ", Sensitive},
    {"Sux ", "Sucks ", Sensitive},
    {" sux", " sucks", Sensitive},
    {" Sux", " Sucks", Sensitive},
    {"shit ", "waste ", Sensitive},
    {" shit", " waste", Sensitive},
    {"wasteing", "wasting", Sensitive},
    {"wasteting", "wasting", Sensitive},
};

inline unsigned char Fold(char c) {
    return static_cast<unsigned char>(ToLower1252(c));
}
inline uint16_t PairKey(char a, char b) {
    return static_cast<uint16_t>(Fold(a) << 8 | Fold(b));
}

constexpr uint8_t kPair = 0, kSingle = 1, kNever = 2;

// How rare a character is in English text: letters by their usual frequency, a blank the most common of all,
// other characters rarer than any letter.
int Rarity(char c) {
    static constexpr std::string_view kByFrequency = "etaoinshrdlcumwfgypbvkjxqz";
    if (c == ' ') return -1;
    const size_t at = kByFrequency.find(static_cast<char>(Fold(c)));
    return at == std::string_view::npos ? 30 : static_cast<int>(at);
}

// The character pairs (and single characters) of a text, folded to small letters. It only ever grows while
// tables are applied to one text, so it always holds at least the pairs of the current text.
class PairSet {
  public:
    void add(std::string_view t) {
        const size_t n = t.size();
        for (size_t i = 0; i < n; ++i) {
            const unsigned char a = Fold(t[i]);
            singles_[a >> 6] |= uint64_t{1} << (a & 63);
            if (i + 1 < n) {
                const uint16_t k = static_cast<uint16_t>(a << 8 | Fold(t[i + 1]));
                uint64_t& word = pairs_[k >> 6];
                const uint64_t bit = uint64_t{1} << (k & 63);
                if ((word & bit) == 0) {
                    word |= bit;
                    used_.push_back(k);
                }
            }
        }
    }
    void clear() {
        for (uint16_t k : used_) pairs_[k >> 6] = 0;
        used_.clear();
        for (uint64_t& w : singles_) w = 0;
    }
    bool hasPair(uint16_t k) const { return (pairs_[k >> 6] >> (k & 63)) & 1; }
    bool hasSingle(uint16_t c) const { return (singles_[(c >> 6) & 3] >> (c & 63)) & 1; }

  private:
    uint64_t pairs_[65536 / 64] = {};
    uint64_t singles_[4] = {};
    std::vector<uint16_t> used_;
};

} // namespace

std::span<const RuleRow> SpellingTable() {
    return kSpelling;
}
std::span<const RuleRow> NameTable() {
    return kNames;
}
std::span<const RuleRow> SlangTable() {
    return kSlang;
}

CompiledTable::CompiledTable(std::span<const RuleRow> rows) {
    rows_.reserve(rows.size());
    gates_.reserve(rows.size());
    for (const RuleRow& r : rows) {
        // The rarest pairs are tested first, so that most rows fail at their first test.
        std::vector<uint16_t> pairs;
        std::vector<int> rarity;
        for (size_t i = 0; i + 1 < r.find.size(); ++i) {
            const uint16_t k = PairKey(r.find[i], r.find[i + 1]);
            if (std::find(pairs.begin(), pairs.end(), k) != pairs.end()) continue;
            pairs.push_back(k);
            rarity.push_back(Rarity(r.find[i]) + Rarity(r.find[i + 1]));
        }
        std::vector<size_t> order(pairs.size());
        for (size_t i = 0; i < order.size(); ++i) order[i] = i;
        std::stable_sort(order.begin(), order.end(),
                         [&](size_t a, size_t b) { return rarity[a] > rarity[b]; });
        std::vector<uint16_t> sorted;
        for (size_t i : order) sorted.push_back(pairs[i]);
        pairs.swap(sorted);
        Gate gate;
        gate.onlyWithTemple = r.use == RowUse::OnlyWithTemple;
        if (r.find.empty()) {
            gate.kind = kNever;
        } else if (r.find.size() == 1) {
            gate.kind = kSingle;
            gate.key = Fold(r.find[0]);
        } else {
            gate.kind = kPair;
            gate.key = pairs.front();
        }
        Row row;
        row.rule = r;
        row.firstKey = static_cast<uint32_t>(keys_.size());
        if (pairs.size() > 1) keys_.insert(keys_.end(), pairs.begin() + 1, pairs.end());
        row.keyCount = static_cast<uint32_t>(keys_.size()) - row.firstKey;
        gates_.push_back(gate);
        rows_.push_back(row);
    }
}

void ApplyTables(std::string& text, std::span<const CompiledTable* const> tables, bool withTemple) {
    thread_local PairSet present;
    present.clear();
    present.add(text);
    for (const CompiledTable* table : tables) {
        const size_t n = table->gates_.size();
        for (size_t r = 0; r < n; ++r) {
            const CompiledTable::Gate g = table->gates_[r];
            if (g.kind == kPair ? !present.hasPair(g.key) : (g.kind == kNever || !present.hasSingle(g.key)))
                continue;
            if (g.onlyWithTemple && !withTemple) continue;
            const CompiledTable::Row& row = table->rows_[r];
            bool possible = true;
            for (uint32_t j = 0; j < row.keyCount && possible; ++j)
                possible = present.hasPair(table->keys_[row.firstKey + j]);
            if (!possible) continue;
            if (ReplaceAll(text, row.rule.find, row.rule.with, row.rule.mode)) present.add(text);
        }
    }
}

void CompiledTable::apply(std::string& text, bool withTemple) const {
    const CompiledTable* self = this;
    ApplyTables(text, std::span<const CompiledTable* const>(&self, 1), withTemple);
}

const CompiledTable& CompiledSpellingTable() {
    static const CompiledTable table(SpellingTable());
    return table;
}

const CompiledTable& CompiledNameTable() {
    static const CompiledTable table(NameTable());
    return table;
}

const CompiledTable& CompiledSlangTable() {
    static const CompiledTable table(SlangTable());
    return table;
}

} // namespace vellum
