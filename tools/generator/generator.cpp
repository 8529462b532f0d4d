// Synthetic TES3 plugin generator.
//
// The generator first plans a small world from the seed (names of people, places, factions, items and
// dialogue topics, who lives where), then encodes it record by record, in the game's file layout and in the
// order and shape in which the program writes each record back. Everything that depends on chance comes from
// one splitmix64 stream, and every float is an exact binary fraction, so the bytes are the same everywhere.
#include "generator/generator.h"

#include <algorithm>
#include <cstring>
#include <set>
#include <string_view>
#include <utility>
#include <vector>

namespace vellum::gen {

namespace {

using Words = std::vector<std::string_view>;

// ---------------------------------------------------------------------------------------------------------
// Random numbers and byte encoding

// splitmix64: a small generator with the same output on every platform and standard library.
class Rng {
  public:
    explicit Rng(uint64_t seed) : state_(seed) {}

    uint64_t next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // A number from 0 to n - 1 (0 when n is 0).
    uint32_t below(size_t n) {
        return static_cast<uint32_t>(((next() >> 32) * static_cast<uint64_t>(n)) >> 32);
    }
    // A number from lo to hi, both included.
    int range(int lo, int hi) { return hi <= lo ? lo : lo + static_cast<int>(below(size_t(hi - lo) + 1)); }
    bool chance(int percent) { return static_cast<int>(below(100)) < percent; }
    std::string_view pick(const Words& w) { return w[below(w.size())]; }
    template <class T> const T& pickOf(const std::vector<T>& v) { return v[below(v.size())]; }

  private:
    uint64_t state_;
};

// Appends little-endian values to one growing buffer; records and subrecords get their sizes patched in when
// they are closed.
class Encoder {
  public:
    std::string& bytes() { return b_; }
    size_t size() const { return b_.size(); }
    void reserve(size_t n) { b_.reserve(n); }

    void u8(uint32_t v) { b_.push_back(static_cast<char>(v & 0xFF)); }
    void u16(uint32_t v) {
        const char c[2] = {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)};
        b_.append(c, 2);
    }
    void u32(uint32_t v) {
        const char c[4] = {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF),
                           static_cast<char>((v >> 16) & 0xFF), static_cast<char>((v >> 24) & 0xFF)};
        b_.append(c, 4);
    }
    void i32(int32_t v) { u32(static_cast<uint32_t>(v)); }
    void f32(float f) {
        uint32_t u;
        std::memcpy(&u, &f, 4);
        u32(u);
    }
    void raw(std::string_view s) { b_.append(s.data(), s.size()); }
    void zeros(size_t n) { b_.append(n, '\0'); }
    // Exactly n bytes: s cut or padded with zero bytes.
    void fixed(std::string_view s, size_t n) {
        s = s.substr(0, n);
        raw(s);
        zeros(n - s.size());
    }

    size_t beginRecord(std::string_view tag, uint32_t flags) {
        raw(tag);
        size_t at = b_.size();
        u32(0); // Size, patched by endRecord
        u32(0); // Header1
        u32(flags);
        return at;
    }
    void endRecord(size_t at) { patch(at, b_.size() - at - 12); }
    size_t beginSub(std::string_view tag) {
        raw(tag);
        size_t at = b_.size();
        u32(0);
        return at;
    }
    void endSub(size_t at) { patch(at, b_.size() - at - 4); }
    // n more bytes at the end, for the caller to fill.
    char* grow(size_t n) {
        b_.resize(b_.size() + n);
        return b_.data() + (b_.size() - n);
    }

    // A zero-terminated string subrecord (size = characters + 1).
    void zsub(std::string_view tag, std::string_view s) {
        raw(tag);
        u32(static_cast<uint32_t>(s.size() + 1));
        raw(s);
        u8(0);
    }
    void zsubIf(std::string_view tag, std::string_view s) {
        if (!s.empty()) zsub(tag, s);
    }
    // A string subrecord without terminator (size = characters).
    void tsub(std::string_view tag, std::string_view s) {
        raw(tag);
        u32(static_cast<uint32_t>(s.size()));
        raw(s);
    }
    void tsubIf(std::string_view tag, std::string_view s) {
        if (!s.empty()) tsub(tag, s);
    }
    void u32sub(std::string_view tag, uint32_t v) {
        raw(tag);
        u32(4);
        u32(v);
    }
    void f32sub(std::string_view tag, float v) {
        raw(tag);
        u32(4);
        f32(v);
    }
    void u8sub(std::string_view tag, uint32_t v) {
        raw(tag);
        u32(1);
        u8(v);
    }
    // A fixed-length name subrecord (NPCO item, NPCS spell, FACT rank name).
    void fixedSub(std::string_view tag, std::string_view s, size_t n) {
        raw(tag);
        u32(static_cast<uint32_t>(n));
        fixed(s, n);
    }
    void dele() { u32sub("DELE", 0); }
    void patchU32(size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) b_[at + size_t(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
    }

  private:
    void patch(size_t at, size_t v) { patchU32(at, static_cast<uint32_t>(v)); }
    std::string b_;
};

// Exact binary fractions, so that no platform rounds them differently.
float Quarters(int n) {
    return static_cast<float>(n) * 0.25f;
}
float Sixtyfourths(int n) {
    return static_cast<float>(n) * (1.0f / 64.0f);
}

// ---------------------------------------------------------------------------------------------------------
// Text helpers

std::string Lower(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return r;
}

std::string Capitalize(std::string s) {
    if (!s.empty() && s[0] >= 'a' && s[0] <= 'z') s[0] = static_cast<char>(s[0] - 'a' + 'A');
    return s;
}

std::string Pad2(int n) {
    std::string s = std::to_string(n);
    return s.size() < 2 ? "0" + s : s;
}

std::string Cut(std::string s, size_t n) {
    if (s.size() > n) s.resize(n);
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

// The plain-letter form of a Windows-1252 letter, for object IDs.
std::string_view PlainLetter(unsigned char c) {
    switch (c) {
    case 0xC0:
    case 0xC1:
    case 0xC2:
    case 0xC4:
    case 0xC5:
    case 0xE0:
    case 0xE1:
    case 0xE2:
    case 0xE4:
    case 0xE5: return "a";
    case 0xC6:
    case 0xE6: return "ae";
    case 0xC7:
    case 0xE7: return "c";
    case 0xC8:
    case 0xC9:
    case 0xCA:
    case 0xCB:
    case 0xE8:
    case 0xE9:
    case 0xEA:
    case 0xEB: return "e";
    case 0xCC:
    case 0xCD:
    case 0xCE:
    case 0xCF:
    case 0xEC:
    case 0xED:
    case 0xEE:
    case 0xEF: return "i";
    case 0xD0:
    case 0xF0: return "d";
    case 0xD1:
    case 0xF1: return "n";
    case 0xD2:
    case 0xD3:
    case 0xD4:
    case 0xD6:
    case 0xD8:
    case 0xF2:
    case 0xF3:
    case 0xF4:
    case 0xF6:
    case 0xF8: return "o";
    case 0xD9:
    case 0xDA:
    case 0xDB:
    case 0xDC:
    case 0xF9:
    case 0xFA:
    case 0xFB:
    case 0xFC: return "u";
    case 0xDE:
    case 0xFE: return "th";
    default: return "";
    }
}

// An object ID from a display name: lower-case ASCII letters and digits, words joined by sep.
std::string IdFrom(std::string_view display, char sep) {
    std::string r;
    for (char ch : display) {
        unsigned char c = static_cast<unsigned char>(ch);
        if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))
            r += ch;
        else if (c >= 'A' && c <= 'Z')
            r += static_cast<char>(c - 'A' + 'a');
        else if (c >= 0x80)
            r += PlainLetter(c);
        else if ((c == ' ' || c == '-' || c == '_') && !r.empty() && r.back() != sep)
            r += sep;
    }
    while (!r.empty() && r.back() == sep) r.pop_back();
    return r;
}

// CamelCase ASCII form of a display name ("Order of the Quill" -> "OrderOfTheQuill").
std::string CamelFrom(std::string_view display) {
    std::string r;
    bool up = true;
    for (char ch : display) {
        unsigned char c = static_cast<unsigned char>(ch);
        std::string_view plain;
        char one[1] = {ch};
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
            plain = {one, 1};
        else if (c >= 0x80)
            plain = PlainLetter(c);
        if (plain.empty()) {
            up = true;
            continue;
        }
        for (char p : plain) {
            if (up && p >= 'a' && p <= 'z') p = static_cast<char>(p - 'a' + 'A');
            r += p;
            up = false;
        }
    }
    return r;
}

// Names already given, compared without regard to case; a taken name gets a number appended.
class UniqueNames {
  public:
    bool taken(std::string_view s) const { return seen_.count(Lower(s)) > 0; }
    std::string claim(std::string base, size_t maxLen = 31, std::string_view sep = " ") {
        base = Cut(base, maxLen);
        if (seen_.insert(Lower(base)).second) return base;
        for (int n = 2;; ++n) {
            std::string suffix = std::string(sep) + std::to_string(n);
            std::string s = Cut(base, maxLen - suffix.size()) + suffix;
            if (seen_.insert(Lower(s)).second) return s;
        }
    }

  private:
    std::set<std::string> seen_;
};

// ---------------------------------------------------------------------------------------------------------
// Word lists (texts are Windows-1252)

const Words kFemaleNames = {"Brara",     "Hlevala",  "Ilmeni",        "Tilera",  "Dravasa", "Ferise",
                            "Indrele",   "Maren",    "Nilena",        "Vedelea", "Ahnassi", "J'Rasha",
                            "Brunhild",  "Sigrun",   "Lucia",         "Octavia", "Corvina", "Tamsin",
                            "S\xe9rene", "Ad\xe8le", "Th\xf3ra",      "Zo\xeb",  "In\xe8s", "Mirel",
                            "Dunra",     "Neria",    "Reads-the-Tide"};
const Words kMaleNames = {"Aldis",   "Drelas",      "Fenas",          "Galos",     "Llaren",    "Mavus",
                          "Nelos",   "Relam",       "Sadri",          "Ulvo",      "Varvur",    "Athyn",
                          "Bedal",   "Eldrin",      "Garyn",          "Odral",     "Rovas",     "Tarvyn",
                          "Uvren",   "Ri'Zakar",    "Hulfgar",        "Thorvald",  "Marcus",    "Gaius",
                          "Oswin",   "No\xebl",     "Bj\xf6rn",       "J\xf3rund", "\xc6lfric", "\xd0revas",
                          "Ren\xe9", "Fran\xe7ois", "Skink-in-Shade", "Sevas",     "Velyn",     "Orvas"};

const Words kLastNames = {
    "Nerano",    "Dralor",     "Sarethi", "Indaram",   "Hlervu",  "Othrelas", "Andrano",   "Llethri",
    "Marvani",   "Serano",     "Dulo",    "Omani",     "Romori",  "Uvaram",   "Belvayn",   "Gilvayn",
    "Arvel",     "Ienith",     "Varro",   "Aurelius",  "Cassian", "Sabinus",  "Ice-Heart", "Stormcrown",
    "Vel\xe8ne", "d'\xc9pine", "Br\xfbn", "Fa\xefrel", "Salen",   "Thelas",   "Moryn",     "Drethan",
    "Ravel",     "Golven",     "Tavri",   "Hleran",    "Selvani", "Oranis",   "Vedran",    "Quillan"};

const Words kVanillaRaces = {"Dark Elf", "High Elf", "Wood Elf", "Nord",    "Imperial",
                             "Breton",   "Redguard", "Orc",      "Khajiit", "Argonian"};
const Words kVanillaClasses = {"Commoner", "Guard",   "Pawnbroker", "Trader Service", "Smith",
                               "Priest",   "Mage",    "Warrior",    "Thief",          "Agent",
                               "Monk",     "Noble",   "Publican",   "Bookseller",     "Savant",
                               "Scout",    "Pilgrim", "Caravaner",  "Healer Service", "Enchanter"};
const Words kVanillaFactions = {"Hlaalu",      "Redoran",       "Telvanni",        "Fighters Guild",
                                "Mages Guild", "Thieves Guild", "Imperial Legion", "Temple"};
const Words kRegionsVanilla = {"Bitter Coast Region", "Ascadian Isles Region", "West Gash Region"};

const Words kPlaces = {
    "Tradehouse",      "Temple",         "Guard Tower", "Council Hall", "Smithy",
    "Mages Guild",     "Fighters Guild", "Lighthouse",  "Cornerclub",   "Bookseller",
    "Alchemist",       "Pawnbroker",     "Warehouse",   "Manor",        "Shrine",
    "Clothier",        "Outfitter",      "Healer",      "Sewers",       "Underground Market",
    "Old Mill",        "Harbour Office", "Fishery",     "Brewery",      "Barracks",
    "Prison",          "Library",        "Chapel",      "Grain Store",  "Stables",
    "Caf\xe9 du Port", "Counting House", "Bath House",  "Scriptorium",  "Watchtower"};
const Words kDungeonParts = {"Entrance", "Lower Halls", "Shrine", "Crypt", "Upper Galleries", "Flooded Cave"};

const Words kTownFirst = {"Ald", "Tel", "Mor", "Sed", "Hla", "Gna", "Vel", "Kha", "Dre", "Ebo",
                          "Sar", "Nar", "Ulu", "Bal", "Sey", "Vos", "Gor", "Mar", "Ash", "Odi"};
const Words kTownSecond = {"varis", "dun",  "mora", "nith", "sadas", "rethi", "vannu",
                           "dara",  "thil", "orun", "seth", "ammu",  "beran", "ladas"};

const Words kAdjectives = {"lost",     "old",       "silent", "broken", "hidden", "sunken",    "burning",
                           "cursed",   "forgotten", "stolen", "golden", "grey",   "ashen",     "drowned",
                           "eastern",  "northern",  "sacred", "secret", "empty",  "bloody",    "missing",
                           "sleeping", "last",      "black",  "false",  "quiet",  "wandering", "frozen",
                           "seventh",  "crooked",   "hollow", "bright", "little", "latest",    "local",
                           "strange",  "ancient",   "iron",   "salt",   "velvet"};
const Words kNouns = {
    "shipment",       "lighthouse", "debt",         "bell",         "harbour",     "caravan",  "ledger",
    "shrine",         "tax",        "festival",     "well",         "mine",        "tower",    "ferry",
    "letter",         "map",        "amulet",       "contract",     "rumors",      "advice",   "lantern",
    "statue",         "archive",    "guild",        "bridge",       "storm",       "wreck",    "orchard",
    "tomb",           "prophecy",   "market",       "toll",         "pilgrimage",  "heirloom", "smugglers",
    "garrison",       "ritual",     "song",         "crown",        "vineyard",    "scrolls",  "mill",
    "cistern",        "vault",      "quarry",       "ledger books", "reliquary",   "watch",    "sermon",
    "banquet",        "duel",       "feud",         "wedding",      "inheritance", "plague",   "harvest",
    "fishing rights", "salt works", "night market", "dockworkers"};
const Words kTopicStarters = {
    "little advice", "little secret",      "latest rumors",    "specific place",   "someone in particular",
    "services",      "my trade",           "local lore",       "background",       "Duties",
    "Ashlanders",    "the Harbour Master", "S\xe9rene's debt", "Council business", "ash storms",
    "Duke Ferano"};

const Words kVoiceTopics = {"Alarm", "Attack", "Flee", "Hello", "Hit", "Idle", "Intruder", "Thief"};
const Words kPersuasionTopics = {"Admire Fail",  "Admire Success",  "Bribe Fail",         "Bribe Success",
                                 "Info Refusal", "Intimidate Fail", "Intimidate Success", "Service Refusal",
                                 "Taunt Fail",   "Taunt Success"};

const Words kRankSchemes[] = {{"Novice", "Apprentice", "Journeyman", "Associate", "Adept", "Expert", "Master",
                               "Warden", "Elder", "Grandmaster"},
                              {"Recruit", "Private", "Corporal", "Sergeant", "Lieutenant", "Captain",
                               "Knight", "Protector", "Champion", "Lord Protector"},
                              {"Hireling", "Clerk", "Factor", "Broker", "Agent", "Partner", "Merchant",
                               "Senior Merchant", "Master Merchant", "Guildmaster of the Eastern Company"},
                              {"Initiate", "Acolyte", "Adept", "Curate", "Disciple", "Diviner", "Master",
                               "Patriarch", "Archcanon", "Gr\xe2nd Archcanon"}};
const Words kFactionNames = {"Merchants' League", "Order of the Quill", "Lantern Brotherhood", "Salt Company",
                             "Circle of Embers",  "Harbour Guild",      "Scribes' Fellowship", "Ash Wardens",
                             "Tide Watch",        "House of Veils"};

const Words kMaterials = {"Iron", "Steel", "Silver", "Glass", "Ebony", "Chitin", "Bonemold", "Dwarven"};
const Words kWeaponKinds = {"Dagger",   "Shortsword", "Longsword", "War Axe", "Mace",     "Spear",
                            "Long Bow", "Crossbow",   "Club",      "Staff",   "Claymore", "Halberd"};
const Words kArmorKinds = {"Helm",    "Cuirass",     "Left Pauldron", "Right Pauldron",
                           "Greaves", "Boots",       "Left Gauntlet", "Right Gauntlet",
                           "Shield",  "Left Bracer", "Right Bracer"};
const Words kClothingKinds = {"Pants",       "Shoes",      "Shirt", "Belt", "Robe",
                              "Right Glove", "Left Glove", "Skirt", "Ring", "Amulet"};
const Words kClothAdjectives = {"Common", "Expensive", "Extravagant", "Exquisite", "Embroidered",
                                "Plain",  "Woven",     "Silk",        "Velvet",    "Wool"};
const Words kMiscKinds = {"Bottle",  "Cup",    "Goblet", "Plate",      "Bowl",        "Pitcher",  "Candle",
                          "Basket",  "Bucket", "Spoon",  "Quill",      "Inkwell",     "Lute",     "Drum",
                          "Tankard", "Ledger", "Key",    "Coin Purse", "Fishing Net", "Hourglass"};
const Words kPlainAdjectives = {"Tarnished", "Clay",  "Pewter", "Painted", "Old",    "Fine",    "Cracked",
                                "Wooden",    "Brass", "Silver", "Worn",    "Carved", "Redware", "Glass"};
const Words kContainerKinds = {"Barrel",   "Crate", "Chest",  "Sack",   "Urn",
                               "Cupboard", "Desk",  "Closet", "Basket", "Strongbox"};
const Words kLightKinds = {"Candle", "Lantern", "Torch", "Brazier", "Chandelier", "Sconce", "Paper Lantern"};
const Words kStaticKinds = {"wall",        "pillar", "arch",  "stairs", "bridge",   "dock",
                            "crate stack", "rock",   "tree",  "shack",  "tower",    "banner",
                            "statue",      "well",   "fence", "pier",   "lamppost", "gate",
                            "rug",         "shelf",  "table", "bench",  "bed",      "kreshweed"};
const Words kStaticPrefixes = {"in", "ex", "terrain", "flora", "furn"};
const Words kActivatorKinds = {"Signpost", "Banner", "Lever", "Bell", "Shrine", "Well", "Loom", "Bookshelf"};
const Words kIngredients = {
    "Saltrice",    "Ash Yam",       "Marshmerrow",    "Bittergreen Petals", "Kresh Fiber", "Comberry",
    "Scathecraw",  "Heather",       "Fire Petal",     "Willow Anther",      "Gold Kanet",  "Stoneflower",
    "Scrib Jelly", "Netch Leather", "Hackle-Lo Leaf", "Chokeweed",          "Roobrush",    "Black Anther"};
const Words kPotionKinds = {"Restore Health", "Restore Fatigue", "Fortify Strength", "Cure Disease",
                            "Water Walking",  "Levitation",      "Night-Eye",        "Swift Swim",
                            "Resist Fire",    "Spell Absorption"};
const Words kPotionGrades = {"Bargain", "Cheap", "Standard", "Quality", "Exclusive"};
const Words kSpellWords = {"Ember",  "Frost", "Spark", "Calm",    "Rally", "Mend",  "Ward",
                           "Shadow", "Tide",  "Ash",   "Lantern", "Quill", "Stone", "Wind"};
const Words kSpellKinds = {"Touch", "Bolt", "Veil", "Blessing", "Curse", "Shield", "Step", "Sight", "Song"};
const Words kCreatureKinds = {"Mudcrab", "Scrib",         "Rat",   "Cliff Racer", "Guar",
                              "Netch",   "Kagouti",       "Alit",  "Nix-Hound",   "Slaughterfish",
                              "Dreugh",  "Kwama Forager", "Shalk", "Skeleton"};
const Words kCreatureAdjectives = {"Diseased", "Blighted", "Old", "Young", "Pack", "Tame", "Wild", "Giant"};
const Words kBookWords = {"History", "Tales", "Song",    "Chronicle", "Ledger", "Sermons",
                          "Letters", "Guide", "Legends", "Secrets",   "Lament", "Almanac"};
const Words kClassNames = {"Harbour Master", "Lamplighter", "Scrivener",   "Ash Warden",  "Net Mender",
                           "Tollkeeper",     "Chronicler",  "Salt Trader", "Bell Ringer", "Ferryman"};
const Words kRaceNames = {"Marsh Elf", "Ashborn", "Sea Folk", "Duskling", "Hill Kin", "Reed Folk"};
const Words kSoundWords = {"bell toll",   "harbour waves", "door creak", "lamp hum",
                           "gulls",       "market crowd",  "forge",      "rain on roof",
                           "wind chimes", "footsteps",     "chanting",   "fire crackle"};
const Words kScriptWords = {"DoorScript", "LampScript",     "BellScript",    "GuardScript",
                            "ShopScript", "FerryScript",    "QuestScript",   "TrapScript",
                            "BookScript", "FestivalScript", "HarbourScript", "ShrineScript"};
const Words kLocalNames = {"doOnce", "state",  "timer", "counter", "nolore",   "companion",
                           "paid",   "talked", "stage", "angle",   "distance", "lastDay"};
const Words kBirthsigns = {"The Quill", "The Lantern", "The Tide", "The Ferryman", "The Bell"};
const Words kTextures = {"cobblestone", "sand",  "grass", "mud",     "ash",
                         "dirt road",   "rocks", "moss",  "shingle", "marsh"};
const Words kGlobalWords = {"QuestStage",  "GuardAlert", "HarbourToll", "LighthouseLit", "Reputation",
                            "FestivalDay", "DebtPaid",   "BellTolls",   "FerryRunning",  "CouncilVote"};
const Words kSettings = {
    "fJumpAcrobaticsBase",      "iMaxActivateDist", "sServiceRefusal",   "fFallDamageDistanceMin",
    "iGreetDistanceMultiplier", "sWelcome",         "fBargainOfferBase", "iLevelupTotal",
    "sTargetCriticalStrike",    "fSneakUseDist",    "iTrainingMod",      "sNotifyMessage1"};
const Words kChoiceTexts = {"Yes.",
                            "No.",
                            "Tell me more.",
                            "Not now.",
                            "I will help you.",
                            "Find someone else.",
                            "What is in it for me?",
                            "Goodbye.",
                            "Ask again",
                            "Let me think about it.",
                            "I accept.",
                            "Never!"};
const Words kComments = {"; the player agreed", "; added for the festival", "; see the ledger quest",
                         "; keeps the guard calm", "; do not remove"};

// Sentence templates. {T} another topic, {P} a town, {C} an interior cell, {N} a person's name, {F} a
// faction, {I} an item, {R} a race, {PC} a player placeholder, and the speaker placeholders %Name, %Class,
// %Race and %Faction.
const Words kTopicSentences = {
    "{T}? I have heard a thing or two about that.",
    "If you want to know about {T}, you should ask {N} at the {C}.",
    "They say the harbour of {P} was built on the bones of an older town.",
    "I'm %Name. I have lived in {P} all my life.",
    "Greetings, {PC}. What brings you to {P}?",
    "The {F} keeps its own counsel. I would not cross them.",
    "Have you seen a {I}? {N} lost one near the old mill.",
    "You call that a bargain? I have sold better {I}s to scribs.",
    "My mother used to say, \"Ash in the morning, rain by night.\" She was never wrong.",
    "The merchants call it \"the Quiet Season\", but nothing here is ever quiet.",
    "Times are hard, {PC}. The caravans stopped coming after the storms.",
    "I don't know anything about that... ask someone else.",
    "The color of the sky over {P} tells you more than any almanac.",
    "It's an honor to serve the {F}, whatever the others may say.",
    "Okay, okay -- I'll tell you, but keep it quiet.",
    "Ask at the {C}. They keep records of everything.",
    "Be careful out there. The roads north of {P} are not safe after dark.",
    "{N}? A good sort, if a little too fond of sujamma.",
    "I was a %Class once, before I came to {P}.",
    "We %Race folk remember things the others forget.",
    "Speak to the {F} if you want work. Tell them %Name sent you.",
    "The {T} is none of your business, {PC}.",
    "There is a caf\xe9 by the docks where the sailors trade news.",
    "{N} says the {T} is only a story for children. I am not so sure.",
    "Don\x92t trust anyone who smiles too much in {P}.",
    "Some call it na\xefve to leave the door unlocked. I call it faith.",
    "The old fa\xe7"
    "ade of the {C} hides more than dust.",
    "\x93Patience,\x94 the priest said. Patience! As if we had any left.",
    "Gold, {PC}. Everything here comes down to gold\x85",
    "The {I} you carry \x96 where did you find it?",
    "Every spring the {F} holds a feast, and every spring someone ends up in the harbour.",
    "Listen, {PC}. I will say this only once.",
    "Why do you ask about {T}? Has {N} been talking again?",
    "I favor the old ways. The new priests talk too much.",
    "The tax collectors came again last week. They took half the catch.",
    "If you see {N}, tell them the debt is paid.",
    "Nobody goes down to the {C} after sundown. Nobody sensible, anyway.",
    "The fishermen of {P} swear by their nets and by nothing else.",
    "You look like a %PCClass who can handle a blade.",
    "Hmm. A %PCRace in {P}. We do not see many of your kind here.",
    "{T}... That is a long story, and I am a busy %Class.",
    "I heard a strange song from the {C} last night.",
    "Take this advice for free: never bet against the {F}.",
    "\"Honest work for honest coin,\" that is what my father said."};
const Words kGreetingSentences = {"Welcome to {P}, {PC}.",
                                  "What do you want?",
                                  "Ah, a visitor. What can I do for you, {PC}?",
                                  "Well met, %PCName. The {F} sends its regards.",
                                  "Make it quick, outlander.",
                                  "Good day. Mind the puddles, the street was flooded again.",
                                  "You again? What is it this time?",
                                  "Greetings, %PCRank. How may %Name serve you?",
                                  "I am busy, but I can spare a moment.",
                                  "Hello there. Lovely weather for {P}, isn't it?"};
const Words kVoiceSentences = {
    "Hello.",         "Stop, thief!",        "Die, fetcher!",      "Help! Help!",
    "What was that?", "You'll regret that!", "Stay away from me!", "Who goes there?",
    "Hmmph.",         "Not now, %PCRace.",   "Mind your step.",    "Another fine day in {P}."};
const Words kPersuasionSentences = {"You flatter me, %PCName.",
                                    "Save your breath.",
                                    "That is very kind of you.",
                                    "Is that supposed to impress me?",
                                    "Well... I suppose I could use the gold.",
                                    "Take your coins elsewhere!",
                                    "How dare you!",
                                    "You are not so bad, for a %PCRace.",
                                    "I will not help you with that.",
                                    "Fine, fine. What do you want?"};
const Words kJournalSentences = {"I have agreed to help {N} find a {I} lost somewhere near {P}.",
                                 "{N} told me to speak with the {F} about the {T}.",
                                 "I found the {I}. I should return it to {N} at the {C}.",
                                 "{N} has paid me for my trouble. The matter is closed.",
                                 "The {F} has asked me to look into the {T} in {P}.",
                                 "I should search the {C} for clues.",
                                 "{N} was not pleased with what I found. I should leave {P} for a while.",
                                 "The guard captain of {P} wants the {T} kept quiet."};
const Words kFillers = {"Yes.", "Hm.", "Go on.", "Well.", "So.", "Right.", "Enough.", "Farewell.", "Now go."};

// ---------------------------------------------------------------------------------------------------------
// The planned world

struct Named {
    std::string id;
    std::string name;
};

struct NpcPlan {
    std::string id, name, race, cls, faction;
    int rank = 0;
    bool female = false;
    bool autocalc = false;
    bool clone = false; // a guard, a dead body and the like: not named in texts
    int cell = -1;
};

struct CellPlan {
    std::string name;
    bool interior = true;
    int x = 0, y = 0;
    std::string region;
    std::vector<int> npcs, creatures;
    bool deleted = false;
};

struct FactionPlan {
    std::string id, name;
    std::vector<std::string> ranks;
};

struct GlobalPlan {
    std::string id;
    char type = 's';
};

struct TopicPlan {
    std::string name;
    int type = 0;
    int responses = 0;
    bool deleted = false;
};

struct ScriptPlan {
    std::string id;
    std::vector<std::string> shorts, longs, floats;
};

struct ResponsePlan {
    std::string id;
    bool deleted = false;
    int choice = 0;          // the choice number of its choice condition, 0 for none
    bool loop = false;       // its result offers its own choice number again
    std::vector<int> offers; // choice numbers that its result offers (the question of a choice group)
    int journalIndex = 0;
    bool questName = false, questFinished = false, questRestart = false;
};

class Generator {
  public:
    explicit Generator(const GenOptions& o) : o_(o), rng_(o.seed ^ 0x56454C4C554D2D47ull) {}

    std::string run(GenStats* stats);

  private:
    enum class Kind { Static, Door, Container, Item, Light, Activator, Levelled, Actor };
    struct Placeable {
        Kind kind;
        const std::vector<Named>* items;
        int weight;
    };
    struct Condition {
        char type = '1';
        std::string function = "00";
        char comparison = '0';
        std::string name;
        bool isFloat = false;
        int32_t intValue = 0;
        float floatValue = 0;
    };

    // Planning
    void plan();
    void planNames();
    void planObjects();
    void planPeople();
    void planCells();
    void planTopics();
    std::string townName(int i) const { return towns_[size_t(i) % towns_.size()]; }
    std::string personName(bool female);
    std::string objectId(std::string_view kind, std::string_view display);

    // Texts
    std::string fill(std::string_view pattern);
    std::string sentence(const Words& bank) { return fill(rng_.pick(bank)); }
    std::string responseText(const Words& bank, int minSentences, int maxSentences, bool maybeLong);
    std::string resultScript(bool loop, const std::vector<int>& offers);
    std::string choiceLine(const std::vector<int>& numbers, int variant);
    std::string otherResultLine();
    static std::string questTitle(std::string_view journalId);

    // Emitting
    size_t begin(std::string_view tag, uint32_t flags = 0);
    void end(size_t at) { e_.endRecord(at); }
    std::string_view pickScript() { return scripts_.empty() ? std::string_view() : rng_.pickOf(scripts_).id; }
    const Named& pickItem();
    void effect(int effectId);
    void inventory(int count);
    void aiPackages(bool travel);
    size_t objectStart(std::string_view tag, const Named& x, bool withName);
    void deletedObject(std::string_view tag, std::string_view id);
    void wornParts(int count);
    void oddSizedSpells();
    void fillBytes(size_t n, int base, int span);

    void emitHeader();
    void emitSettings();
    void emitGlobals();
    void emitClasses();
    void emitFactions();
    void emitRaces();
    void emitSounds();
    void emitSkills();
    void emitMagicEffects();
    void emitScripts();
    void emitRegions();
    void emitBirthsigns();
    void emitLandTextures();
    void emitStatics();
    void emitDoors();
    void emitMisc();
    void emitWeapons();
    void emitContainers();
    void emitSpells();
    void emitEnchantments();
    void emitBodyParts();
    void emitLights();
    void emitArmor();
    void emitClothing();
    void emitTools(std::string_view tag, std::string_view dataTag, const std::vector<Named>& items);
    void emitActivators();
    void emitApparatus();
    void emitIngredients();
    void emitBooks();
    void emitPotions();
    void emitLevelled(std::string_view tag, const std::vector<Named>& lists, bool creatures);
    void emitSoundGenerators();
    void emitStartScripts();
    void emitNpcs();
    void emitCreatures();
    void buildPlacementPool();
    std::pair<const Named*, Kind> pickPlaceable();
    void referenceData(const CellPlan& cell);
    void emitReference(const CellPlan& cell, std::string_view object, Kind kind, bool persistent);
    void emitCells();
    void emitLand();
    void emitPathGrids();
    std::string newInfoId();
    Condition randomCondition();
    void emitDialogue();
    void emitResponse(const TopicPlan& topic, const ResponsePlan& r, const std::string& prev,
                      const std::string& next);

    const GenOptions& o_;
    Rng rng_;
    Encoder e_;
    GenStats st_;
    std::map<std::string, int64_t, std::less<>> counts_;
    size_t numRecordsAt_ = 0;

    std::string prefix_;      // "VT": initials of the town
    std::string lowerPrefix_; // "vt"
    std::vector<std::string> towns_;
    UniqueNames ids_;    // object IDs
    UniqueNames topics_; // topic names
    UniqueNames cellNames_;

    std::vector<GlobalPlan> globals_;
    std::vector<std::string> classes_, races_, regions_, birthsigns_, textures_;
    std::vector<FactionPlan> factions_;
    std::vector<Named> sounds_;
    std::vector<ScriptPlan> scripts_;
    std::vector<Named> statics_, doors_, misc_, keys_, weapons_, containers_, lights_, armor_, clothing_,
        repair_, activators_, apparatus_, lockpicks_, probes_, ingredients_, books_, potions_, spells_,
        enchantments_, bodyParts_, levItems_, levCreatures_, creatures_;
    std::vector<Named> carried_;  // every item an inventory can hold
    std::vector<Placeable> pool_; // what cells are furnished with
    int poolWeight_ = 0;
    std::vector<NpcPlan> npcs_;
    std::vector<std::string> namedPeople_; // display names of the NPCs that are not clones
    std::vector<CellPlan> cells_;
    std::vector<std::string> interiorNames_;
    std::vector<TopicPlan> topicPlans_;
    std::vector<std::string> regularTopics_;
    std::vector<std::pair<std::string, int>> journals_; // journal ID and its last index
    std::set<uint64_t> infoIds_;
    uint32_t refIndex_ = 0;
};

// ---------------------------------------------------------------------------------------------------------
// Planning

std::string Generator::personName(bool female) {
    std::string first(rng_.pick(female ? kFemaleNames : kMaleNames));
    if (rng_.chance(15)) return first;
    return first + " " + std::string(rng_.pick(kLastNames));
}

std::string Generator::objectId(std::string_view kind, std::string_view display) {
    std::string base =
        lowerPrefix_ + "_" + (kind.empty() ? "" : std::string(kind) + "_") + IdFrom(display, '_');
    return ids_.claim(base, 31, "_");
}

void Generator::plan() {
    planNames();
    planObjects();
    planPeople();
    planCells();
    planTopics();
}

void Generator::planNames() {
    for (char c : o_.townName)
        if (c >= 'A' && c <= 'Z') prefix_ += c;
    if (prefix_.empty()) prefix_ = "VG";
    lowerPrefix_ = Lower(prefix_);

    // Towns: the main town first, then invented ones for large worlds.
    UniqueNames townNames;
    towns_.push_back(townNames.claim(o_.townName, 40));
    int extraTowns = std::max(0, o_.interiorCells / 28);
    for (int i = 0; i < extraTowns; ++i) {
        std::string first(rng_.pick(kTownFirst)), second(rng_.pick(kTownSecond));
        std::string name = rng_.chance(35) ? first + " " + std::string(1, static_cast<char>(second[0] - 32)) +
                                                 second.substr(1)
                                           : first + second;
        towns_.push_back(townNames.claim(name));
    }

    for (int i = 0; i < o_.globals; ++i) {
        GlobalPlan g;
        std::string base = prefix_ + "_" + std::string(kGlobalWords[size_t(i) % kGlobalWords.size()]);
        g.id = ids_.claim(base, 31, "_");
        int t = rng_.range(0, 3);
        g.type = t <= 1 ? 's' : (t == 2 ? 'l' : 'f');
        if (i < 3) g.type = "slf"[i];
        globals_.push_back(g);
    }
    for (int i = 0; i < o_.classes; ++i) {
        std::string base(kClassNames[size_t(i) % kClassNames.size()]);
        if (size_t(i) >= kClassNames.size()) base = std::string(rng_.pick(kClothAdjectives)) + " " + base;
        classes_.push_back(ids_.claim(base));
    }
    for (int i = 0; i < o_.factions; ++i) {
        FactionPlan f;
        if (i == 0)
            f.name = o_.townName + " Watch";
        else if (size_t(i) <= kFactionNames.size())
            f.name = std::string(kFactionNames[size_t(i) - 1]);
        else
            f.name =
                "Order of the " + std::string(rng_.pick(kAdjectives)) + " " + std::string(rng_.pick(kNouns));
        f.name = Cut(f.name, 31);
        f.id = ids_.claim(prefix_ + "_" + CamelFrom(f.name), 31, "_");
        const Words& scheme = kRankSchemes[rng_.below(4)];
        int ranks = i == 0 ? 10 : rng_.range(3, 10);
        for (int r = 0; r < ranks; ++r) f.ranks.emplace_back(scheme[size_t(r)]);
        factions_.push_back(std::move(f));
    }
    for (int i = 0; i < o_.races; ++i) {
        std::string base(kRaceNames[size_t(i) % kRaceNames.size()]);
        races_.push_back(ids_.claim(base));
    }
    for (int i = 0; i < o_.sounds; ++i) {
        std::string word(kSoundWords[size_t(i) % kSoundWords.size()]);
        Named s;
        s.id = objectId("snd", word);
        s.name = "Fx\\" + lowerPrefix_ + "\\" + IdFrom(word, '_') + ".wav";
        sounds_.push_back(s);
    }
    for (int i = 0; i < o_.scripts; ++i) {
        ScriptPlan s;
        s.id =
            ids_.claim(prefix_ + "_" + std::string(kScriptWords[size_t(i) % kScriptWords.size()]), 31, "_");
        UniqueNames locals;
        int shorts = rng_.range(0, 3), longs = rng_.range(0, 1), floats = rng_.range(0, 2);
        for (int k = 0; k < shorts; ++k)
            s.shorts.push_back(locals.claim(std::string(rng_.pick(kLocalNames)), 31, ""));
        for (int k = 0; k < longs; ++k)
            s.longs.push_back(locals.claim(std::string(rng_.pick(kLocalNames)), 31, ""));
        for (int k = 0; k < floats; ++k)
            s.floats.push_back(locals.claim(std::string(rng_.pick(kLocalNames)), 31, ""));
        scripts_.push_back(std::move(s));
    }
    for (int i = 0; i < o_.regions; ++i) {
        std::string base = i == 0 ? o_.townName + " Coast Region"
                                  : Capitalize(std::string(rng_.pick(kAdjectives))) + " " +
                                        Capitalize(std::string(rng_.pick(kNouns))) + " Region";
        regions_.push_back(ids_.claim(base));
    }
    for (int i = 0; i < o_.birthsigns; ++i)
        birthsigns_.push_back(ids_.claim(std::string(kBirthsigns[size_t(i) % kBirthsigns.size()])));
    for (int i = 0; i < o_.landTextures; ++i)
        textures_.push_back(objectId("tx", kTextures[size_t(i) % kTextures.size()]));
}

void Generator::planObjects() {
    auto make = [&](std::vector<Named>& out, int n, std::string_view kind, auto&& display) {
        for (int i = 0; i < n; ++i) {
            Named x;
            x.name = Cut(display(i), 31);
            x.id = objectId(kind, x.name);
            out.push_back(std::move(x));
        }
    };
    auto adj = [&](const Words& a, const Words& b) {
        return std::string(rng_.pick(a)) + " " + std::string(rng_.pick(b));
    };
    make(statics_, o_.statics, "", [&](int i) {
        return std::string(rng_.pick(kStaticPrefixes)) + " " + std::string(rng_.pick(kStaticKinds)) + " " +
               Pad2(i % 100);
    });
    make(doors_, o_.doors, "door", [&](int) {
        return std::string(rng_.pick(kPlainAdjectives)) + (rng_.chance(70) ? " Door" : " Trapdoor");
    });
    make(misc_, o_.miscItems, "misc", [&](int i) {
        if (i % 5 == 4) return "Key to the " + std::string(rng_.pick(kPlaces));
        return adj(kPlainAdjectives, kMiscKinds);
    });
    for (const Named& m : misc_)
        if (m.name.rfind("Key ", 0) == 0) keys_.push_back(m);
    make(weapons_, o_.weapons, "w", [&](int) { return adj(kMaterials, kWeaponKinds); });
    make(containers_, o_.containers, "contain", [&](int) { return adj(kPlainAdjectives, kContainerKinds); });
    make(lights_, o_.lights, "light", [&](int) { return adj(kPlainAdjectives, kLightKinds); });
    make(armor_, o_.armor, "a", [&](int) { return adj(kMaterials, kArmorKinds); });
    make(clothing_, o_.clothing, "c", [&](int) { return adj(kClothAdjectives, kClothingKinds); });
    static const Words repairKinds = {"Armorer's Hammer", "Repair Prongs", "Tongs"};
    make(repair_, o_.repairItems, "repair", [&](int) { return adj(kMaterials, repairKinds); });
    make(activators_, o_.activators, "act", [&](int) { return adj(kPlainAdjectives, kActivatorKinds); });
    static const Words grades = {"Apprentice's", "Journeyman's", "Master's", "Grandmaster's",
                                 "Secret Master's"};
    static const Words apparatusKinds = {"Mortar and Pestle", "Alembic", "Calcinator", "Retort"};
    make(apparatus_, o_.apparatus, "apparatus", [&](int) { return adj(grades, apparatusKinds); });
    make(lockpicks_, o_.lockpicks, "pick", [&](int) { return std::string(rng_.pick(grades)) + " Lockpick"; });
    make(probes_, o_.probes, "probe", [&](int) { return std::string(rng_.pick(grades)) + " Probe"; });
    make(ingredients_, o_.ingredients, "ingred", [&](int i) {
        std::string base(kIngredients[size_t(i) % kIngredients.size()]);
        return size_t(i) < kIngredients.size() ? base : std::string(rng_.pick(kPlainAdjectives)) + " " + base;
    });
    make(books_, o_.books, "bk", [&](int i) {
        if (i % 4 == 0) return "A History of " + townName(i / 4);
        return "The " + Capitalize(std::string(rng_.pick(kAdjectives))) + " " +
               std::string(rng_.pick(kBookWords));
    });
    make(potions_, o_.potions, "p", [&](int) { return adj(kPotionGrades, kPotionKinds); });
    make(spells_, o_.spells, "sp", [&](int) { return adj(kSpellWords, kSpellKinds); });
    if (o_.unusualLayout) // IDs that fit, with their zero, the 15- and 24-byte NPCS naming them
        for (size_t i = 0; i < spells_.size() && i < 2; ++i)
            spells_[i].id = ids_.claim(lowerPrefix_ + "_" + IdFrom(spells_[i].name, '_'), i ? 23 : 14, "_");
    make(enchantments_, o_.enchantments, "en", [&](int) { return adj(kSpellWords, kSpellKinds); });
    std::string bodyRace = races_.empty() ? "Dark Elf" : races_.front();
    static const Words parts = {"head", "hair", "skins", "hands", "feet", "chest", "neck"};
    for (int i = 0; i < o_.bodyParts; ++i) {
        Named b;
        b.name = bodyRace;
        b.id = ids_.claim("b_n_" + IdFrom(bodyRace, '_') + (i % 2 ? "_f_" : "_m_") +
                              std::string(parts[size_t(i / 2) % parts.size()]) + "_" + Pad2(i / 2 + 1),
                          31, "_");
        bodyParts_.push_back(b);
    }
    make(creatures_, o_.creatures, "cr", [&](int i) {
        std::string base(kCreatureKinds[size_t(i) % kCreatureKinds.size()]);
        return size_t(i) < kCreatureKinds.size() ? base
                                                 : std::string(rng_.pick(kCreatureAdjectives)) + " " + base;
    });
    make(levItems_, o_.levelledItems, "l",
         [&](int) { return "random " + std::string(rng_.pick(kMiscKinds)); });
    make(levCreatures_, o_.levelledCreatures, "lc",
         [&](int) { return "random " + std::string(rng_.pick(kCreatureKinds)); });

    for (const auto* v : {&misc_, &weapons_, &armor_, &clothing_, &books_, &potions_, &ingredients_,
                          &lockpicks_, &probes_, &repair_, &apparatus_})
        carried_.insert(carried_.end(), v->begin(), v->end());
}

void Generator::planPeople() {
    static const Words clones = {"Guard", "Dead Body", "Cattle", "Adventurer", "Sharpshooter", "Dreamer"};
    for (int i = 0; i < o_.npcs; ++i) {
        NpcPlan n;
        n.female = rng_.chance(45);
        if (rng_.chance(7)) {
            std::string c(rng_.pick(clones));
            n.name = c == "Guard" ? o_.townName + " Guard" : c;
            n.clone = true;
        } else {
            n.name = personName(n.female);
        }
        n.name = Cut(n.name, 31);
        n.id = ids_.claim(lowerPrefix_ + "_" + IdFrom(n.name, rng_.chance(30) ? ' ' : '_'), 31, "_");
        if (!races_.empty() && rng_.chance(15))
            n.race = rng_.pickOf(races_);
        else
            n.race = rng_.chance(40) ? "Dark Elf" : std::string(rng_.pick(kVanillaRaces));
        n.cls = !classes_.empty() && rng_.chance(30) ? rng_.pickOf(classes_)
                                                     : std::string(rng_.pick(kVanillaClasses));
        if (rng_.chance(45)) {
            if (!factions_.empty() && rng_.chance(75)) {
                const FactionPlan& f = rng_.pickOf(factions_);
                n.faction = f.id;
                n.rank = rng_.range(0, static_cast<int>(f.ranks.size()) - 1);
            } else {
                n.faction = std::string(rng_.pick(kVanillaFactions));
                n.rank = rng_.range(0, 9);
            }
        }
        n.autocalc = rng_.chance(40);
        if (!n.clone) namedPeople_.push_back(n.name);
        npcs_.push_back(std::move(n));
    }
}

void Generator::planCells() {
    // Interiors: "<town>, <place>", the main town's first.
    for (int i = 0; i < o_.interiorCells; ++i) {
        CellPlan c;
        int t = std::min(i / 28, static_cast<int>(towns_.size()) - 1);
        std::string town = townName(t);
        std::string place = t == 0 && size_t(i) < kPlaces.size() ? std::string(kPlaces[size_t(i)])
                                                                 : std::string(rng_.pick(kPlaces));
        if (t > 0 && rng_.chance(20)) place = std::string(rng_.pick(kDungeonParts));
        std::string name = town + ", " + place;
        if (cellNames_.taken(name)) name = town + ", " + personName(rng_.chance(50)) + "'s House";
        c.name = cellNames_.claim(name, 63);
        c.interior = true;
        interiorNames_.push_back(c.name);
        cells_.push_back(std::move(c));
    }
    if (o_.deletedRecords) {
        CellPlan c;
        c.name = cellNames_.claim(townName(0) + ", Abandoned Shack", 63);
        c.deleted = true;
        cells_.push_back(std::move(c));
    }
    // Exteriors on a square grid around 0, 0; the middle ones carry the town's name.
    int side = 1;
    while (side * side < o_.exteriorCells) ++side;
    for (int k = 0; k < o_.exteriorCells; ++k) {
        CellPlan c;
        c.interior = false;
        c.x = k % side - side / 2;
        c.y = k / side - side / 2;
        if (k < 4)
            c.name = townName(0);
        else if (k % 25 == 0)
            c.name = townName(k / 25);
        if (!regions_.empty())
            c.region = regions_[size_t(k) % regions_.size()];
        else
            c.region = std::string(kRegionsVanilla[size_t(k) % kRegionsVanilla.size()]);
        cells_.push_back(std::move(c));
    }

    std::vector<int> interiors, exteriors;
    for (size_t i = 0; i < cells_.size(); ++i) {
        if (cells_[i].deleted) continue;
        (cells_[i].interior ? interiors : exteriors).push_back(static_cast<int>(i));
    }
    for (size_t n = 0; n < npcs_.size(); ++n) {
        int cell = -1;
        if (!interiors.empty() && (exteriors.empty() || rng_.chance(80)))
            cell = n < interiors.size() ? interiors[n] : rng_.pickOf(interiors);
        else if (!exteriors.empty())
            cell = exteriors[rng_.below(std::min<size_t>(exteriors.size(), 9))];
        npcs_[n].cell = cell;
        if (cell >= 0) cells_[size_t(cell)].npcs.push_back(static_cast<int>(n));
    }
    for (size_t c = 0; c < creatures_.size(); ++c) {
        int cell = -1;
        if (!exteriors.empty() && (interiors.empty() || rng_.chance(70)))
            cell = rng_.pickOf(exteriors);
        else if (!interiors.empty())
            cell = rng_.pickOf(interiors);
        if (cell >= 0) cells_[size_t(cell)].creatures.push_back(static_cast<int>(c));
    }
}

void Generator::planTopics() {
    const int total = o_.topics;
    std::vector<int> types;
    if (total < 5) {
        const int order[5] = {0, 2, 4, 1, 3};
        for (int i = 0; i < total; ++i) types.push_back(order[i]);
    } else {
        int voice = std::clamp(total / 40, 1, static_cast<int>(kVoiceTopics.size()));
        int greeting = std::clamp(total / 30, 1, 10);
        int persuasion = std::clamp(total / 40, 1, static_cast<int>(kPersuasionTopics.size()));
        int journal = std::max(1, total / 8);
        int regular = total - voice - greeting - persuasion - journal;
        types.insert(types.end(), size_t(regular), 0);
        types.insert(types.end(), size_t(voice), 1);
        types.insert(types.end(), size_t(greeting), 2);
        types.insert(types.end(), size_t(persuasion), 3);
        types.insert(types.end(), size_t(journal), 4);
    }
    int counters[5] = {0, 0, 0, 0, 0};
    for (int type : types) {
        TopicPlan t;
        t.type = type;
        int k = counters[type]++;
        switch (type) {
        case 0: {
            std::string name;
            if (size_t(k) < kTopicStarters.size())
                name = std::string(kTopicStarters[size_t(k)]);
            else if (size_t(k) < kTopicStarters.size() + towns_.size())
                name = towns_[size_t(k) - kTopicStarters.size()];
            else if (!factions_.empty() && rng_.chance(5))
                name = rng_.pickOf(factions_).name;
            else if (rng_.chance(15))
                name = std::string(rng_.pick(rng_.chance(50) ? kFemaleNames : kMaleNames)) + "'s " +
                       std::string(rng_.pick(kNouns));
            else
                name = std::string(rng_.pick(kAdjectives)) + " " + std::string(rng_.pick(kNouns));
            t.name = topics_.claim(name);
            regularTopics_.push_back(t.name);
            break;
        }
        case 1: t.name = topics_.claim(std::string(kVoiceTopics[size_t(k)])); break;
        case 2: t.name = topics_.claim("Greeting " + std::to_string(k)); break;
        case 3: t.name = topics_.claim(std::string(kPersuasionTopics[size_t(k)])); break;
        default:
            t.name = topics_.claim(
                prefix_ + "_" +
                    CamelFrom(std::string(rng_.pick(kAdjectives)) + " " + std::string(rng_.pick(kNouns))),
                31, "");
            break;
        }
        topicPlans_.push_back(std::move(t));
    }

    // Responses: one for each topic first, the rest by weight (greetings and voices have many).
    int left = o_.responses;
    for (TopicPlan& t : topicPlans_) {
        if (left == 0) break;
        t.responses = 1;
        --left;
    }
    if (left > 0 && !topicPlans_.empty()) {
        static const int weight[5] = {4, 20, 40, 16, 8};
        std::vector<int64_t> cumulative;
        int64_t sum = 0;
        for (const TopicPlan& t : topicPlans_) cumulative.push_back(sum += weight[t.type]);
        for (; left > 0; --left) {
            int64_t r = static_cast<int64_t>(rng_.next() % static_cast<uint64_t>(sum));
            size_t i = size_t(std::upper_bound(cumulative.begin(), cumulative.end(), r) - cumulative.begin());
            ++topicPlans_[i].responses;
        }
    }
    if (o_.deletedRecords) {
        TopicPlan t;
        t.name = topics_.claim("forgotten " + std::string(rng_.pick(kNouns)));
        t.deleted = true;
        t.responses = 2;
        topicPlans_.push_back(std::move(t));
    }
    for (const TopicPlan& t : topicPlans_)
        if (t.type == 4 && !t.deleted) journals_.emplace_back(t.name, std::max(0, t.responses - 1) * 10);
    std::sort(topicPlans_.begin(), topicPlans_.end(), [](const TopicPlan& a, const TopicPlan& b) {
        std::string la = Lower(a.name), lb = Lower(b.name);
        return la != lb ? la < lb : a.name < b.name;
    });
}

// ---------------------------------------------------------------------------------------------------------
// Texts

std::string Generator::fill(std::string_view pattern) {
    static const Words pcCodes = {"%PCName", "%PCRace", "%PCClass", "%PCRank", "%PCName"};
    std::string out;
    out.reserve(pattern.size() + 40);
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '{') {
            out += pattern[i];
            continue;
        }
        size_t close = pattern.find('}', i);
        std::string_view key = pattern.substr(i + 1, close - i - 1);
        i = close;
        if (key == "T")
            out += regularTopics_.empty() ? std::string("the old days") : rng_.pickOf(regularTopics_);
        else if (key == "P")
            out += rng_.chance(70) ? townName(0) : rng_.pickOf(towns_);
        else if (key == "C")
            out += interiorNames_.empty() ? townName(0) : rng_.pickOf(interiorNames_);
        else if (key == "N")
            out += namedPeople_.empty() ? std::string("old Drelas") : rng_.pickOf(namedPeople_);
        else if (key == "F")
            out += factions_.empty() ? std::string(rng_.pick(kVanillaFactions)) : rng_.pickOf(factions_).name;
        else if (key == "I")
            out += carried_.empty() ? std::string("bottle") : Lower(rng_.pickOf(carried_).name);
        else if (key == "R")
            out += rng_.pick(kVanillaRaces);
        else if (key == "PC")
            out += rng_.pick(pcCodes);
    }
    return out;
}

std::string Generator::responseText(const Words& bank, int minSentences, int maxSentences, bool maybeLong) {
    const size_t limit = 512;
    std::string text;
    if (maybeLong && rng_.chance(3)) {
        // A long response that comes close to the game's limit of 512 characters.
        size_t target = size_t(rng_.range(490, 512));
        for (int tries = 0; tries < 60 && text.size() < target; ++tries) {
            std::string s = sentence(bank);
            std::string sep = text.empty() ? "" : (rng_.chance(10) ? "\r\n" : " ");
            if (text.size() + sep.size() + s.size() <= target) text += sep + s;
        }
        for (std::string_view f : kFillers)
            while (text.size() + 1 + f.size() <= target) text += " " + std::string(f);
        return text;
    }
    int n = rng_.range(minSentences, maxSentences);
    for (int k = 0; k < n; ++k) {
        std::string s = sentence(bank);
        std::string sep;
        if (!text.empty()) sep = rng_.chance(8) ? "\r\n" : (rng_.chance(4) ? "\r\n\r\n" : " ");
        if (text.size() + sep.size() + s.size() > limit) break;
        text += sep + s;
    }
    if (text.empty()) text = "Hm.";
    return text;
}

std::string Generator::otherResultLine() {
    switch (rng_.below(10)) {
    case 0:
        if (!journals_.empty()) {
            const auto& j = rng_.pickOf(journals_);
            return "Journal \"" + j.first + "\" " + std::to_string(rng_.range(0, j.second / 10) * 10);
        }
        return "Goodbye";
    case 1:
        if (!regularTopics_.empty()) return "AddTopic \"" + rng_.pickOf(regularTopics_) + "\"";
        return "Goodbye";
    case 2: return "ModDisposition " + std::to_string(rng_.range(-10, 15));
    case 3: return "Goodbye";
    case 4:
        if (!carried_.empty())
            return "player->AddItem \"" + rng_.pickOf(carried_).id + "\" " + std::to_string(rng_.range(1, 5));
        return "Goodbye";
    case 5: return "player->RemoveItem \"Gold_001\" " + std::to_string(rng_.range(5, 500));
    case 6:
        if (!globals_.empty()) {
            const GlobalPlan& g = rng_.pickOf(globals_);
            return "Set " + g.id + " to " + std::to_string(rng_.range(0, 20));
        }
        return "SetFight 0";
    case 7:
        if (!factions_.empty())
            return "ModPCFacRep " + std::to_string(rng_.range(1, 10)) + " \"" + rng_.pickOf(factions_).id +
                   "\"";
        return "SetFight 0";
    case 8: return std::string(rng_.pick(kComments));
    default: return rng_.chance(50) ? "SetFight 0" : "StartCombat player";
    }
}

// One choice line offering the numbers given. Variants write it the ways that scripts do: plain, with
// commas, in lower case, with a comment after it, with two spaces before the first number.
std::string Generator::choiceLine(const std::vector<int>& numbers, int variant) {
    std::string line = variant == 2 ? "choice" : "Choice";
    if (variant == 1) line += ",";
    for (size_t i = 0; i < numbers.size(); ++i) {
        line += " \"" + std::string(rng_.pick(kChoiceTexts)) + "\"";
        line += variant == 1 ? ", " : (variant == 4 && i == 0 ? "  " : " ");
        line += std::to_string(numbers[i]);
        if (variant == 1 && i + 1 < numbers.size()) line += ",";
    }
    if (variant == 3) line += " " + std::string(rng_.pick(kComments));
    return line;
}

std::string Generator::resultScript(bool loop, const std::vector<int>& offers) {
    std::vector<std::string> lines;
    int others = offers.empty() ? rng_.range(1, 3) : rng_.range(0, 1);
    for (int i = 0; i < others; ++i) lines.push_back(otherResultLine());
    if (!offers.empty()) lines.push_back(choiceLine(offers, loop ? rng_.range(0, 4) : 0));
    std::string script;
    for (size_t i = 0; i < lines.size(); ++i) script += (i ? "\r\n" : "") + lines[i];
    if (rng_.chance(5)) script += "\r\n";
    return script;
}

// ---------------------------------------------------------------------------------------------------------
// Emitting

size_t Generator::begin(std::string_view tag, uint32_t flags) {
    auto it = counts_.find(tag);
    if (it == counts_.end()) it = counts_.emplace(std::string(tag), 0).first;
    ++it->second;
    ++st_.totalRecords;
    return e_.beginRecord(tag, flags);
}

const Named& Generator::pickItem() {
    return rng_.pickOf(carried_);
}

void Generator::effect(int effectId) {
    size_t s = e_.beginSub("ENAM");
    e_.u16(static_cast<uint32_t>(effectId));
    bool skill = rng_.chance(20), attribute = !skill && rng_.chance(20);
    e_.u8(skill ? static_cast<uint32_t>(rng_.range(0, 26)) : 0xFF);
    e_.u8(attribute ? static_cast<uint32_t>(rng_.range(0, 7)) : 0xFF);
    e_.u8(static_cast<uint32_t>(rng_.range(0, 2)));
    e_.zeros(3);
    e_.u32(static_cast<uint32_t>(rng_.chance(20) ? rng_.range(1, 30) : 0));
    e_.u32(static_cast<uint32_t>(rng_.range(0, 60)));
    int lo = rng_.range(1, 20);
    e_.u32(static_cast<uint32_t>(lo));
    e_.u32(static_cast<uint32_t>(lo + rng_.range(0, 30)));
    e_.endSub(s);
}

void Generator::inventory(int count) {
    for (int i = 0; i < count && !carried_.empty(); ++i) {
        size_t s = e_.beginSub("NPCO");
        e_.i32(rng_.chance(10) ? -rng_.range(1, 3) : rng_.range(1, 10));
        e_.fixed(pickItem().id, 32);
        e_.endSub(s);
    }
}

void Generator::emitHeader() {
    size_t at = begin("TES3");
    size_t h = e_.beginSub("HEDR");
    e_.f32(1.3f);
    e_.u32(o_.master ? 1 : 0);
    e_.fixed(o_.author, 32);
    e_.fixed(o_.description, 256);
    numRecordsAt_ = e_.size();
    e_.i32(0); // patched when every record is written
    e_.endSub(h);
    if (!o_.master) {
        e_.zsub("MAST", "Morrowind.esm");
        size_t d = e_.beginSub("DATA");
        e_.u32(79837557); // the size of the game's master file
        e_.u32(0);
        e_.endSub(d);
    }
    end(at);
}

void Generator::emitSettings() {
    static const Words texts = {"Welcome to the town.", "You cannot rest here.", "The door is locked.",
                                "Your purse feels lighter.", "Caf\xe9 closed until dawn."};
    UniqueNames names;
    for (int i = 0; i < o_.gameSettings; ++i) {
        std::string name;
        if (size_t(i) < kSettings.size())
            name = std::string(kSettings[size_t(i)]);
        else
            name = std::string(1, "fis"[i % 3]) + prefix_ + "Setting" + std::to_string(i);
        name = names.claim(name, 31, "");
        size_t at = begin("GMST");
        e_.zsub("NAME", name); // the game stores the name with its zero, read back as part of the name
        if (name[0] == 's')
            e_.tsub("STRV", rng_.pick(texts));
        else if (name[0] == 'i')
            e_.u32sub("INTV", static_cast<uint32_t>(rng_.range(-50, 5000)));
        else
            e_.f32sub("FLTV", Quarters(rng_.range(-40, 800)));
        end(at);
    }
}

void Generator::emitGlobals() {
    for (const GlobalPlan& g : globals_) {
        size_t at = begin("GLOB");
        e_.zsub("NAME", g.id);
        e_.tsub("FNAM", std::string(1, g.type));
        float value = 0;
        if (g.type == 's')
            value = static_cast<float>(rng_.chance(10) ? rng_.range(-32767, 32767) : rng_.range(0, 100));
        else if (g.type == 'l')
            value = static_cast<float>(rng_.range(-1000000, 1000000));
        else
            value = Quarters(rng_.range(-400, 400));
        e_.f32sub("FLTV", value);
        end(at);
    }
    if (o_.deletedRecords) {
        size_t at = begin("GLOB", 0x20);
        e_.zsub("NAME", prefix_ + "_OldCounter");
        e_.dele();
        end(at);
    }
}

void Generator::emitClasses() {
    for (const std::string& c : classes_) {
        size_t at = begin("CLAS");
        e_.zsub("NAME", c);
        e_.zsub("FNAM", c);
        size_t d = e_.beginSub("CLDT");
        e_.u32(static_cast<uint32_t>(rng_.range(0, 7)));
        e_.u32(static_cast<uint32_t>(rng_.range(0, 7)));
        e_.u32(static_cast<uint32_t>(rng_.range(0, 2)));
        for (int k = 0; k < 10; ++k) e_.u32(static_cast<uint32_t>(rng_.range(0, 26)));
        e_.u8(rng_.chance(30) ? 1 : 0); // playable, in a 4-byte flag word
        e_.zeros(3);
        e_.u32(static_cast<uint32_t>(rng_.below(0x40000)));
        e_.endSub(d);
        if (rng_.chance(70)) e_.tsub("DESC", responseText(kTopicSentences, 1, 2, false));
        end(at);
    }
}

void Generator::emitFactions() {
    for (const FactionPlan& f : factions_) {
        size_t at = begin("FACT");
        e_.zsub("NAME", f.id);
        e_.zsub("FNAM", f.name);
        for (const std::string& r : f.ranks) e_.fixedSub("RNAM", r, o_.unusualLayout ? 20 : 32);
        size_t d = e_.beginSub("FADT");
        e_.u32(static_cast<uint32_t>(rng_.range(0, 7)));
        e_.u32(static_cast<uint32_t>(rng_.range(0, 7)));
        for (int r = 0; r < 10; ++r) {
            e_.u32(static_cast<uint32_t>(30 + 5 * r));
            e_.u32(static_cast<uint32_t>(30 + 5 * r));
            e_.u32(static_cast<uint32_t>(10 * r));
            e_.u32(static_cast<uint32_t>(5 * r));
            e_.u32(static_cast<uint32_t>(r * r));
        }
        for (int k = 0; k < 6; ++k) e_.u32(static_cast<uint32_t>(rng_.range(0, 26)));
        e_.i32(-1);
        e_.u32(rng_.chance(20) ? 1 : 0);
        e_.endSub(d);
        int reactions = rng_.range(1, 4);
        for (int k = 0; k < reactions; ++k) {
            std::string other = factions_.size() > 1 && rng_.chance(50)
                                    ? rng_.pickOf(factions_).id
                                    : std::string(rng_.pick(kVanillaFactions));
            e_.zsub("ANAM", other);
            e_.u32sub("INTV", static_cast<uint32_t>(rng_.range(-3, 3)));
        }
        end(at);
    }
}

void Generator::emitRaces() {
    for (const std::string& r : races_) {
        size_t at = begin("RACE");
        e_.zsub("NAME", r);
        e_.zsub("FNAM", r);
        size_t d = e_.beginSub("RADT");
        for (int k = 0; k < 7; ++k) {
            e_.u32(static_cast<uint32_t>(rng_.range(0, 26)));
            e_.u32(static_cast<uint32_t>(5 * rng_.range(1, 3)));
        }
        for (int k = 0; k < 16; ++k) e_.u32(static_cast<uint32_t>(rng_.range(30, 50)));
        for (int k = 0; k < 4; ++k) e_.f32(Sixtyfourths(rng_.range(56, 72)));
        e_.u32(rng_.chance(70) ? 1 : 3);
        e_.endSub(d);
        int specials = spells_.empty() ? 0 : rng_.range(0, 2);
        if (o_.unusualLayout)
            oddSizedSpells();
        else
            for (int k = 0; k < specials; ++k) e_.fixedSub("NPCS", rng_.pickOf(spells_).id, 32);
        if (rng_.chance(80)) e_.tsub("DESC", responseText(kTopicSentences, 1, 3, false));
        end(at);
    }
}

void Generator::emitSounds() {
    for (const Named& s : sounds_) {
        size_t at = begin("SOUN");
        e_.zsub("NAME", s.id);
        e_.zsub("FNAM", s.name);
        size_t d = e_.beginSub("DATA");
        e_.u8(static_cast<uint32_t>(rng_.range(64, 255)));
        e_.u8(static_cast<uint32_t>(rng_.range(0, 40)));
        e_.u8(static_cast<uint32_t>(rng_.range(60, 255)));
        e_.endSub(d);
        end(at);
    }
}

void Generator::emitSkills() {
    int n = std::min(o_.skills, 27);
    for (int k = 0; k < n; ++k) {
        size_t at = begin("SKIL");
        e_.u32sub("INDX", static_cast<uint32_t>(k));
        size_t d = e_.beginSub("SKDT");
        e_.u32(static_cast<uint32_t>(rng_.range(0, 7)));
        e_.u32(static_cast<uint32_t>(rng_.range(0, 2)));
        for (int u = 0; u < 4; ++u) e_.f32(Quarters(rng_.range(0, 20)));
        e_.endSub(d);
        if (rng_.chance(80)) e_.tsub("DESC", responseText(kTopicSentences, 1, 2, false));
        end(at);
    }
}

void Generator::emitMagicEffects() {
    static const Words schools = {"Alteration", "Conjuration", "Destruction",
                                  "Illusion",   "Mysticism",   "Restoration"};
    int n = std::min(o_.magicEffects, 137);
    for (int k = 0; k < n; ++k) {
        size_t at = begin("MGEF");
        e_.u32sub("INDX", static_cast<uint32_t>(k));
        int school = rng_.range(0, 5);
        size_t d = e_.beginSub("MEDT");
        e_.u32(static_cast<uint32_t>(school));
        e_.f32(Quarters(rng_.range(1, 200)));
        e_.u32(rng_.below(0x10000));
        for (int c = 0; c < 3; ++c) e_.u32(static_cast<uint32_t>(rng_.range(0, 255)));
        for (int c = 0; c < 3; ++c) e_.f32(Quarters(rng_.range(1, 16)));
        e_.endSub(d);
        std::string sc(schools[size_t(school)]);
        e_.zsub("ITEX", "s\\Tx_S_" + Lower(sc) + "_" + Pad2(k) + ".tga");
        if (rng_.chance(70)) e_.zsub("PTEX", "vfx_" + Lower(sc) + "_particle.tga");
        for (std::string_view tag : {"BSND", "CSND", "HSND", "ASND"})
            if (rng_.chance(60))
                e_.zsub(tag, sounds_.empty() ? Lower(sc) + " cast" : rng_.pickOf(sounds_).id);
        for (std::string_view tag : {"BVFX", "CVFX", "HVFX", "AVFX"})
            if (rng_.chance(60)) e_.zsub(tag, "VFX_" + sc.substr(0, 8) + std::string(tag.substr(0, 1)));
        if (rng_.chance(50)) e_.tsub("DESC", responseText(kTopicSentences, 1, 1, false));
        end(at);
    }
}

void Generator::emitScripts() {
    for (const ScriptPlan& s : scripts_) {
        std::string vars;
        for (const auto* list : {&s.shorts, &s.longs, &s.floats})
            for (const std::string& v : *list) vars += v + '\0';
        std::string code(size_t(rng_.range(16, 600)), '\0');
        for (char& c : code) c = static_cast<char>(rng_.below(256));
        std::string text = "Begin " + s.id + "\r\n\r\n";
        for (const std::string& v : s.shorts) text += "short " + v + "\r\n";
        for (const std::string& v : s.longs) text += "long " + v + "\r\n";
        for (const std::string& v : s.floats) text += "float " + v + "\r\n";
        text += "\r\nif ( OnActivate == 1 )\r\n\tActivate\r\n";
        if (!s.shorts.empty()) text += "\tset " + s.shorts.front() + " to 1\r\n";
        text += "endif\r\n\r\nEnd " + s.id + "\r\n";

        size_t at = begin("SCPT");
        size_t h = e_.beginSub("SCHD");
        e_.fixed(s.id, 32);
        e_.u32(static_cast<uint32_t>(s.shorts.size()));
        e_.u32(static_cast<uint32_t>(s.longs.size()));
        e_.u32(static_cast<uint32_t>(s.floats.size()));
        e_.u32(static_cast<uint32_t>(code.size()));
        e_.u32(static_cast<uint32_t>(vars.size()));
        e_.endSub(h);
        e_.tsubIf("SCVR", vars);
        e_.tsub("SCDT", code);
        e_.tsub("SCTX", text);
        end(at);
    }
}

void Generator::emitRegions() {
    for (const std::string& r : regions_) {
        size_t at = begin("REGN");
        e_.zsub("NAME", r);
        e_.zsub("FNAM", r);
        int chances = rng_.chance(50) ? 8 : 10;
        size_t w = e_.beginSub("WEAT");
        int left = 100;
        for (int k = 0; k < chances; ++k) {
            int c = k + 1 == chances ? left : rng_.range(0, left / 2);
            left -= c;
            e_.u8(static_cast<uint32_t>(c));
        }
        e_.endSub(w);
        if (!levCreatures_.empty() && rng_.chance(70)) e_.zsub("BNAM", rng_.pickOf(levCreatures_).id);
        size_t c = e_.beginSub("CNAM");
        for (int k = 0; k < 3; ++k) e_.u8(static_cast<uint32_t>(rng_.range(0, 255)));
        e_.u8(0);
        e_.endSub(c);
        int sounds = sounds_.empty() ? 0 : rng_.range(1, 4);
        for (int k = 0; k < sounds; ++k) {
            size_t s = e_.beginSub("SNAM");
            e_.fixed(rng_.pickOf(sounds_).id, 32);
            e_.u8(static_cast<uint32_t>(rng_.range(1, 50)));
            e_.endSub(s);
        }
        if (rng_.chance(30)) e_.u32sub("WNAM", rng_.below(1000));
        end(at);
    }
}

void Generator::emitBirthsigns() {
    for (const std::string& b : birthsigns_) {
        size_t at = begin("BSGN");
        e_.zsub("NAME", lowerPrefix_ + "_" + IdFrom(b, '_'));
        e_.zsub("FNAM", b);
        if (rng_.chance(80)) e_.zsub("TNAM", "birthsigns\\" + IdFrom(b, '_') + ".tga");
        if (rng_.chance(70)) e_.tsub("DESC", responseText(kTopicSentences, 1, 2, false));
        int specials = spells_.empty() ? 0 : rng_.range(1, 3);
        if (o_.unusualLayout)
            oddSizedSpells();
        else
            for (int k = 0; k < specials; ++k) e_.fixedSub("NPCS", rng_.pickOf(spells_).id, 32);
        end(at);
    }
}

// The first two spells as other tools name them, in NPCS of 15 and 24 bytes, each ID zero-padded.
void Generator::oddSizedSpells() {
    for (size_t k = 0; k < 2; ++k)
        e_.fixedSub("NPCS", k < spells_.size() ? spells_[k].id : lowerPrefix_ + "_ability", k ? 24 : 15);
}

void Generator::emitLandTextures() {
    for (size_t i = 0; i < textures_.size(); ++i) {
        size_t at = begin("LTEX");
        e_.zsub("NAME", textures_[i]);
        e_.u32sub("INTV", static_cast<uint32_t>(i));
        e_.zsub("DATA", lowerPrefix_ + "\\" + textures_[i] + ".dds");
        end(at);
    }
}

// ---------------------------------------------------------------------------------------------------------
// Object records

namespace {

std::string Model(std::string_view id) {
    return std::string(id.substr(0, 2)) + "\\" + std::string(id) + ".nif";
}
std::string Icon(std::string_view id) {
    return "m\\tx_" + std::string(id) + ".tga";
}

} // namespace

size_t Generator::objectStart(std::string_view tag, const Named& x, bool withName) {
    size_t at = begin(tag, rng_.chance(10) ? 0x2000 : 0);
    e_.zsub("NAME", x.id);
    e_.zsub("MODL", Model(x.id));
    if (withName) e_.zsub("FNAM", x.name);
    return at;
}

void Generator::deletedObject(std::string_view tag, std::string_view id) {
    if (!o_.deletedRecords) return;
    size_t at = begin(tag, 0x20);
    e_.zsub("NAME", id);
    e_.dele();
    end(at);
}

void Generator::emitStatics() {
    for (const Named& x : statics_) {
        size_t at = begin("STAT", rng_.chance(10) ? 0x2000 : 0);
        e_.zsub("NAME", x.id);
        e_.zsub("MODL", Model(x.id));
        end(at);
    }
    deletedObject("STAT", lowerPrefix_ + "_ex_old_shack_01");
}

void Generator::emitDoors() {
    for (const Named& x : doors_) {
        size_t at = objectStart("DOOR", x, rng_.chance(90));
        if (rng_.chance(20)) e_.zsubIf("SCRI", pickScript());
        if (!sounds_.empty() && rng_.chance(50)) e_.zsub("SNAM", rng_.pickOf(sounds_).id);
        if (!sounds_.empty() && rng_.chance(50)) e_.zsub("ANAM", rng_.pickOf(sounds_).id);
        end(at);
    }
}

void Generator::emitMisc() {
    for (const Named& x : misc_) {
        bool key = x.name.rfind("Key ", 0) == 0;
        size_t at = objectStart("MISC", x, rng_.chance(95));
        size_t d = e_.beginSub("MCDT");
        e_.f32(Quarters(rng_.range(0, 40)));
        e_.u32(static_cast<uint32_t>(rng_.range(0, 300)));
        e_.u32(key ? 1 : 0);
        e_.endSub(d);
        if (rng_.chance(10)) e_.zsubIf("SCRI", pickScript());
        if (rng_.chance(90)) e_.zsub("ITEX", Icon(x.id));
        end(at);
    }
    deletedObject("MISC", lowerPrefix_ + "_misc_broken_jug");
}

void Generator::emitWeapons() {
    for (const Named& x : weapons_) {
        size_t at = objectStart("WEAP", x, true);
        size_t d = e_.beginSub("WPDT");
        e_.f32(Quarters(rng_.range(4, 120)));
        e_.u32(static_cast<uint32_t>(rng_.range(5, 30000)));
        e_.u16(static_cast<uint32_t>(rng_.range(0, 13)));
        e_.u16(static_cast<uint32_t>(rng_.range(100, 4000)));
        e_.f32(Quarters(rng_.range(2, 8)));
        e_.f32(Quarters(rng_.range(2, 12)));
        e_.u16(static_cast<uint32_t>(rng_.range(0, 600)));
        for (int k = 0; k < 6; ++k) e_.u8(static_cast<uint32_t>(rng_.range(1, 60)));
        e_.u8(rng_.chance(20) ? 1 : 0); // flags, in a 4-byte word
        e_.zeros(3);
        e_.endSub(d);
        if (rng_.chance(5)) e_.zsubIf("SCRI", pickScript());
        e_.zsub("ITEX", Icon(x.id));
        if (!enchantments_.empty() && rng_.chance(15)) e_.zsub("ENAM", rng_.pickOf(enchantments_).id);
        end(at);
    }
    deletedObject("WEAP", lowerPrefix_ + "_w_rusty_blade");
}

void Generator::emitContainers() {
    for (const Named& x : containers_) {
        size_t at = objectStart("CONT", x, true);
        e_.f32sub("CNDT", Quarters(rng_.range(40, 2000)));
        size_t f = e_.beginSub("FLAG");
        e_.u8(0x08 | (rng_.chance(20) ? 1 : 0) | (rng_.chance(10) ? 2 : 0));
        e_.zeros(3);
        e_.endSub(f);
        if (rng_.chance(15)) e_.zsubIf("SCRI", pickScript());
        inventory(rng_.range(0, 5));
        end(at);
    }
}

void Generator::emitSpells() {
    for (const Named& x : spells_) {
        size_t at = begin("SPEL");
        e_.zsub("NAME", x.id);
        e_.zsub("FNAM", x.name);
        size_t d = e_.beginSub("SPDT");
        e_.u32(static_cast<uint32_t>(rng_.range(0, 5)));
        e_.u32(static_cast<uint32_t>(rng_.range(1, 120)));
        e_.u8(static_cast<uint32_t>(rng_.range(0, 7)));
        e_.zeros(3);
        e_.endSub(d);
        int effects = rng_.range(1, 4);
        for (int k = 0; k < effects; ++k) effect(rng_.range(0, 136));
        end(at);
    }
}

void Generator::emitEnchantments() {
    for (const Named& x : enchantments_) {
        size_t at = begin("ENCH");
        e_.zsub("NAME", x.id);
        size_t d = e_.beginSub("ENDT");
        e_.u32(static_cast<uint32_t>(rng_.range(0, 3)));
        e_.u32(static_cast<uint32_t>(rng_.range(1, 200)));
        e_.u32(static_cast<uint32_t>(rng_.range(10, 2000)));
        e_.u8(rng_.chance(50) ? 1 : 0);
        e_.zeros(3);
        e_.endSub(d);
        int effects = rng_.range(1, 3);
        for (int k = 0; k < effects; ++k) effect(rng_.range(0, 136));
        end(at);
    }
}

void Generator::emitBodyParts() {
    for (size_t i = 0; i < bodyParts_.size(); ++i) {
        const Named& x = bodyParts_[i];
        size_t at = objectStart("BODY", x, true);
        size_t d = e_.beginSub("BYDT");
        e_.u8(static_cast<uint32_t>(rng_.range(0, 14)));
        e_.u8(0);
        e_.u8((i % 2 ? 1u : 0u) | (rng_.chance(50) ? 2u : 0u));
        e_.u8(static_cast<uint32_t>(rng_.range(0, 2)));
        e_.endSub(d);
        end(at);
    }
}

void Generator::emitLights() {
    for (const Named& x : lights_) {
        bool carried = rng_.chance(50);
        size_t at = objectStart("LIGH", x, rng_.chance(80));
        if (carried) e_.zsub("ITEX", Icon(x.id));
        size_t d = e_.beginSub("LHDT");
        e_.f32(Quarters(rng_.range(0, 20)));
        e_.u32(static_cast<uint32_t>(rng_.range(0, 50)));
        e_.i32(rng_.chance(20) ? -1 : rng_.range(60, 600));
        e_.u32(static_cast<uint32_t>(rng_.range(64, 512)));
        for (int k = 0; k < 3; ++k) e_.u8(static_cast<uint32_t>(rng_.range(100, 255)));
        e_.u8(0); // the colour's unused fourth byte
        e_.u32(rng_.below(0x400) | (carried ? 2u : 0u));
        e_.endSub(d);
        if (rng_.chance(5)) e_.zsubIf("SCRI", pickScript());
        if (!sounds_.empty() && rng_.chance(30)) e_.zsub("SNAM", rng_.pickOf(sounds_).id);
        end(at);
    }
}

void Generator::wornParts(int count) {
    for (int k = 0; k < count; ++k) {
        e_.u8sub("INDX", static_cast<uint32_t>(rng_.range(0, 26)));
        std::string male =
            bodyParts_.empty() ? lowerPrefix_ + "_part_" + Pad2(k) : rng_.pickOf(bodyParts_).id;
        e_.zsub("BNAM", male);
        if (rng_.chance(50)) e_.zsub("CNAM", Cut(male, 29) + "_f");
    }
}

void Generator::emitArmor() {
    for (const Named& x : armor_) {
        size_t at = objectStart("ARMO", x, true);
        if (rng_.chance(5)) e_.zsubIf("SCRI", pickScript());
        size_t d = e_.beginSub("AODT");
        e_.u32(static_cast<uint32_t>(rng_.range(0, 10)));
        e_.f32(Quarters(rng_.range(4, 200)));
        e_.u32(static_cast<uint32_t>(rng_.range(5, 40000)));
        e_.u32(static_cast<uint32_t>(rng_.range(100, 3000)));
        e_.u32(static_cast<uint32_t>(rng_.range(0, 500)));
        e_.u32(static_cast<uint32_t>(rng_.range(1, 80)));
        e_.endSub(d);
        e_.zsub("ITEX", Icon(x.id));
        wornParts(rng_.range(1, 3));
        if (!enchantments_.empty() && rng_.chance(10)) e_.zsub("ENAM", rng_.pickOf(enchantments_).id);
        end(at);
    }
}

void Generator::emitClothing() {
    for (const Named& x : clothing_) {
        size_t at = objectStart("CLOT", x, true);
        if (rng_.chance(5)) e_.zsubIf("SCRI", pickScript());
        size_t d = e_.beginSub("CTDT");
        e_.u32(static_cast<uint32_t>(rng_.range(0, 9)));
        e_.f32(Quarters(rng_.range(1, 20)));
        e_.u16(static_cast<uint32_t>(rng_.range(1, 900)));
        e_.u16(static_cast<uint32_t>(rng_.range(0, 300)));
        e_.endSub(d);
        e_.zsub("ITEX", Icon(x.id));
        wornParts(rng_.range(0, 2));
        if (!enchantments_.empty() && rng_.chance(10)) e_.zsub("ENAM", rng_.pickOf(enchantments_).id);
        end(at);
    }
}

// Repair tools, lock picks and probes: weight, value and two 4-byte values (uses and quality).
void Generator::emitTools(std::string_view tag, std::string_view dataTag, const std::vector<Named>& items) {
    for (const Named& x : items) {
        size_t at = objectStart(tag, x, true);
        size_t d = e_.beginSub(dataTag);
        e_.f32(Quarters(rng_.range(1, 12)));
        e_.u32(static_cast<uint32_t>(rng_.range(5, 400)));
        if (tag == "REPA") {
            e_.u32(static_cast<uint32_t>(rng_.range(5, 50)));
            e_.f32(Quarters(rng_.range(2, 10)));
        } else {
            e_.f32(Quarters(rng_.range(2, 10)));
            e_.u32(static_cast<uint32_t>(rng_.range(5, 50)));
        }
        e_.endSub(d);
        if (rng_.chance(5)) e_.zsubIf("SCRI", pickScript());
        e_.zsub("ITEX", Icon(x.id));
        end(at);
    }
}

void Generator::emitActivators() {
    for (const Named& x : activators_) {
        size_t at = objectStart("ACTI", x, rng_.chance(80));
        if (rng_.chance(40)) e_.zsubIf("SCRI", pickScript());
        end(at);
    }
}

void Generator::emitApparatus() {
    for (const Named& x : apparatus_) {
        size_t at = objectStart("APPA", x, true);
        if (rng_.chance(5)) e_.zsubIf("SCRI", pickScript());
        size_t d = e_.beginSub("AADT");
        e_.u32(static_cast<uint32_t>(rng_.range(0, 3)));
        e_.f32(Quarters(rng_.range(1, 8)));
        e_.f32(Quarters(rng_.range(2, 40)));
        e_.u32(static_cast<uint32_t>(rng_.range(5, 2000)));
        e_.endSub(d);
        e_.zsub("ITEX", Icon(x.id));
        end(at);
    }
}

void Generator::emitIngredients() {
    for (const Named& x : ingredients_) {
        size_t at = objectStart("INGR", x, true);
        size_t d = e_.beginSub("IRDT");
        e_.f32(Quarters(rng_.range(1, 8)));
        e_.u32(static_cast<uint32_t>(rng_.range(1, 100)));
        for (int k = 0; k < 4; ++k) e_.i32(k < 2 || rng_.chance(50) ? rng_.range(0, 136) : -1);
        for (int k = 0; k < 4; ++k) e_.i32(rng_.chance(15) ? rng_.range(0, 26) : -1);
        for (int k = 0; k < 4; ++k) e_.i32(rng_.chance(15) ? rng_.range(0, 7) : -1);
        e_.endSub(d);
        if (rng_.chance(5)) e_.zsubIf("SCRI", pickScript());
        e_.zsub("ITEX", Icon(x.id));
        end(at);
    }
}

void Generator::emitBooks() {
    for (const Named& x : books_) {
        bool scroll = rng_.chance(20);
        size_t at = objectStart("BOOK", x, true);
        size_t d = e_.beginSub("BKDT");
        e_.f32(Quarters(rng_.range(1, 16)));
        e_.u32(static_cast<uint32_t>(rng_.range(5, 1000)));
        e_.u32(scroll ? 1 : 0);
        e_.i32(rng_.chance(15) ? rng_.range(0, 26) : -1);
        e_.u32(static_cast<uint32_t>(rng_.range(0, 200)));
        e_.endSub(d);
        if (rng_.chance(10)) e_.zsubIf("SCRI", pickScript());
        e_.zsub("ITEX", Icon(x.id));
        std::string text =
            "<DIV ALIGN=\"CENTER\"><FONT COLOR=\"000000\" SIZE=\"3\" FACE=\"Magic Cards\"><BR>" + x.name +
            "<BR><BR><DIV ALIGN=\"LEFT\">";
        int paragraphs = rng_.range(1, 8);
        for (int k = 0; k < paragraphs; ++k)
            text += responseText(kTopicSentences, 2, 6, false) + "<BR><BR>\r\n";
        e_.tsub("TEXT", text);
        if (scroll && !enchantments_.empty()) e_.zsub("ENAM", rng_.pickOf(enchantments_).id);
        end(at);
    }
}

void Generator::emitPotions() {
    for (const Named& x : potions_) {
        size_t at = objectStart("ALCH", x, true);
        size_t d = e_.beginSub("ALDT");
        e_.f32(Quarters(rng_.range(1, 6)));
        e_.u32(static_cast<uint32_t>(rng_.range(5, 500)));
        e_.u32(rng_.chance(60) ? 1 : 0);
        e_.endSub(d);
        if (rng_.chance(5)) e_.zsubIf("SCRI", pickScript());
        e_.zsub("TEXT", Icon(x.id));
        int effects = rng_.range(1, 3);
        for (int k = 0; k < effects; ++k) effect(rng_.range(0, 136));
        end(at);
    }
}

void Generator::emitLevelled(std::string_view tag, const std::vector<Named>& lists, bool creatures) {
    const std::vector<Named>& pool = creatures ? creatures_ : carried_;
    for (const Named& x : lists) {
        size_t at = begin(tag);
        e_.zsub("NAME", x.id);
        size_t d = e_.beginSub("DATA");
        e_.u8(static_cast<uint32_t>(rng_.range(0, 3)));
        e_.zeros(3);
        e_.endSub(d);
        e_.u8sub("NNAM", static_cast<uint32_t>(rng_.chance(50) ? 0 : rng_.range(1, 75)));
        int entries = pool.empty() ? 0 : rng_.range(1, 8);
        e_.u32sub("INDX", static_cast<uint32_t>(entries));
        for (int k = 0; k < entries; ++k) {
            e_.zsub(creatures ? "CNAM" : "INAM", rng_.pickOf(pool).id);
            e_.raw("INTV");
            e_.u32(2);
            e_.u16(static_cast<uint32_t>(1 + 3 * k));
        }
        end(at);
    }
    if (!creatures) deletedObject(tag, lowerPrefix_ + "_l_old_loot");
}

void Generator::emitSoundGenerators() {
    for (int i = 0; i < o_.soundGenerators; ++i) {
        std::string creature =
            creatures_.empty() ? std::string() : creatures_[size_t(i) % creatures_.size()].id;
        int type = i % 8;
        size_t at = begin("SNDG");
        e_.zsub("NAME", Cut(creature.empty() ? lowerPrefix_ + "_sound" : creature, 26) + "000" +
                            std::to_string(type) + (i >= 8 ? std::to_string(i / 8) : ""));
        size_t d = e_.beginSub("DATA");
        e_.u8(static_cast<uint32_t>(type));
        e_.zeros(3);
        e_.endSub(d);
        e_.zsub("SNAM", sounds_.empty() ? std::string("Body Fall Medium") : rng_.pickOf(sounds_).id);
        if (!creature.empty() && rng_.chance(80)) e_.zsub("CNAM", creature);
        end(at);
    }
}

void Generator::emitStartScripts() {
    for (int i = 0; i < o_.startScripts; ++i) {
        size_t at = begin("SSCR");
        // Both strings carry the zero that the game writes after them; the program reads it as a character.
        e_.zsub("NAME", scripts_.empty() ? prefix_ + "_Startup" : scripts_[size_t(i) % scripts_.size()].id);
        e_.zsub("DATA", std::to_string(1000000000000000ull + rng_.next() % 9000000000000000ull));
        end(at);
    }
}

// ---------------------------------------------------------------------------------------------------------
// Actors

void Generator::aiPackages(bool travel) {
    size_t d = e_.beginSub("AIDT");
    e_.u8(static_cast<uint32_t>(rng_.range(0, 100))); // hello
    e_.u8(0);
    e_.u8(static_cast<uint32_t>(rng_.range(0, 90)));  // fight
    e_.u8(static_cast<uint32_t>(rng_.range(0, 60)));  // flee
    e_.u8(static_cast<uint32_t>(rng_.range(0, 100))); // alarm
    e_.zeros(3);
    e_.u32(rng_.chance(30) ? rng_.below(0x40000) : 0);
    e_.endSub(d);
    if (travel) {
        int destinations = rng_.range(1, 4);
        for (int k = 0; k < destinations; ++k) {
            size_t t = e_.beginSub("DODT");
            for (int c = 0; c < 3; ++c) e_.f32(Quarters(rng_.range(-400000, 400000)));
            for (int c = 0; c < 3; ++c) e_.f32(Sixtyfourths(rng_.range(0, 402)));
            e_.endSub(t);
            if (!interiorNames_.empty() && rng_.chance(50)) e_.zsub("DNAM", rng_.pickOf(interiorNames_));
        }
    }
    if (rng_.chance(70)) {
        size_t w = e_.beginSub("AI_W");
        e_.u16(static_cast<uint32_t>(rng_.range(0, 2000)));
        e_.u16(static_cast<uint32_t>(rng_.range(0, 24)));
        e_.u8(0);
        for (int k = 0; k < 8; ++k) e_.u8(static_cast<uint32_t>(rng_.range(0, 60)));
        e_.u8(1);
        e_.endSub(w);
    }
    if (rng_.chance(5)) {
        size_t t = e_.beginSub("AI_T");
        for (int c = 0; c < 3; ++c) e_.f32(Quarters(rng_.range(-40000, 40000)));
        e_.u32(1);
        e_.endSub(t);
    }
    for (std::string_view tag : {"AI_E", "AI_F"}) {
        if (!rng_.chance(4)) continue;
        size_t f = e_.beginSub(tag);
        for (int c = 0; c < 3; ++c) e_.f32(Quarters(rng_.range(-40000, 40000)));
        e_.u16(static_cast<uint32_t>(rng_.range(0, 48)));
        e_.fixed(npcs_.empty() || rng_.chance(50) ? std::string("player") : rng_.pickOf(npcs_).id, 32);
        e_.u16(1);
        e_.endSub(f);
        if (!interiorNames_.empty() && rng_.chance(50)) e_.zsub("CNDT", rng_.pickOf(interiorNames_));
    }
    if (rng_.chance(3)) {
        size_t a = e_.beginSub("AI_A");
        e_.fixed(activators_.empty() ? std::string("player") : rng_.pickOf(activators_).id, 32);
        e_.u8(1);
        e_.endSub(a);
    }
}

void Generator::emitNpcs() {
    static const Words heads = {"head_01", "head_02", "head_03", "head_04", "head_05"};
    static const Words hair = {"hair_01", "hair_02", "hair_03", "hair_04", "hair_05", "hair_06"};
    for (const NpcPlan& n : npcs_) {
        size_t at = begin("NPC_", rng_.chance(20) ? 0x400 : 0);
        e_.zsub("NAME", n.id);
        if (rng_.chance(5)) e_.zsub("MODL", "base_anim_" + lowerPrefix_ + ".nif");
        e_.zsub("FNAM", n.name);
        e_.zsub("RNAM", n.race);
        e_.zsub("CNAM", n.cls);
        e_.zsubIf("ANAM", n.faction);
        std::string body = "b_n_" + Lower(n.race) + (n.female ? "_f_" : "_m_");
        e_.zsub("BNAM", body + std::string(rng_.pick(heads)));
        e_.zsub("KNAM", body + std::string(rng_.pick(hair)));
        if (rng_.chance(10)) e_.zsubIf("SCRI", pickScript());
        size_t d = e_.beginSub("NPDT");
        int level = rng_.range(1, 40);
        if (n.autocalc) {
            e_.u16(static_cast<uint32_t>(level));
            e_.u8(static_cast<uint32_t>(rng_.range(30, 70))); // disposition
            e_.u8(static_cast<uint32_t>(rng_.range(0, 20)));  // reputation
            e_.u8(static_cast<uint32_t>(n.rank));
            e_.zeros(3);
            e_.u32(static_cast<uint32_t>(rng_.range(0, 500)));
        } else {
            e_.u16(static_cast<uint32_t>(level));
            for (int k = 0; k < 8; ++k) e_.u8(static_cast<uint32_t>(rng_.range(20, 90)));
            for (int k = 0; k < 27; ++k) e_.u8(static_cast<uint32_t>(rng_.range(5, 100)));
            e_.u8(0);
            e_.u16(static_cast<uint32_t>(rng_.range(20, 400)));
            e_.u16(static_cast<uint32_t>(rng_.range(0, 300)));
            e_.u16(static_cast<uint32_t>(rng_.range(50, 500)));
            e_.u8(static_cast<uint32_t>(rng_.range(30, 70)));
            e_.u8(static_cast<uint32_t>(rng_.range(0, 20)));
            e_.u8(static_cast<uint32_t>(n.rank));
            e_.u8(0);
            e_.u32(static_cast<uint32_t>(rng_.range(0, 500)));
        }
        e_.endSub(d);
        size_t f = e_.beginSub("FLAG");
        e_.u8((n.female ? 1u : 0u) | (rng_.chance(3) ? 2u : 0u) | 8u | (n.autocalc ? 0x10u : 0u));
        e_.u8(rng_.chance(5) ? 0x04 : (rng_.chance(3) ? 0x08 : 0));
        e_.zeros(2);
        e_.endSub(f);
        if (o_.unusualLayout && &n == &npcs_.front())
            e_.tsub("XTRA", std::string_view("\x01\x00\x2A\x00\xFF\x7F", 6));
        inventory(rng_.chance(60) ? rng_.range(1, 6) : 0);
        int spells = spells_.empty() || !rng_.chance(40) ? 0 : rng_.range(1, 3);
        for (int k = 0; k < spells; ++k) e_.fixedSub("NPCS", rng_.pickOf(spells_).id, 32);
        aiPackages(rng_.chance(5));
        end(at);
    }
    if (o_.deletedRecords) {
        size_t at = begin("NPC_", 0x20);
        e_.zsub("NAME", lowerPrefix_ + "_former_resident");
        e_.dele();
        end(at);
    }
}

void Generator::emitCreatures() {
    for (const Named& c : creatures_) {
        size_t at = begin("CREA", rng_.chance(20) ? 0x400 : 0);
        e_.zsub("NAME", c.id);
        e_.zsub("MODL", Model(c.id));
        if (rng_.chance(60)) e_.zsub("CNAM", IdFrom(c.name, '_'));
        e_.zsub("FNAM", c.name);
        if (rng_.chance(10)) e_.zsubIf("SCRI", pickScript());
        size_t d = e_.beginSub("NPDT");
        e_.u32(static_cast<uint32_t>(rng_.range(0, 3)));
        e_.u32(static_cast<uint32_t>(rng_.range(1, 30)));
        for (int k = 0; k < 8; ++k) e_.u32(static_cast<uint32_t>(rng_.range(10, 100)));
        for (int k = 0; k < 3; ++k) e_.u32(static_cast<uint32_t>(rng_.range(10, 400)));
        e_.u32(static_cast<uint32_t>(rng_.range(0, 300)));
        for (int k = 0; k < 3; ++k) e_.u32(static_cast<uint32_t>(rng_.range(10, 90)));
        for (int k = 0; k < 3; ++k) {
            int lo = rng_.range(1, 20);
            e_.u32(static_cast<uint32_t>(lo));
            e_.u32(static_cast<uint32_t>(lo + rng_.range(0, 20)));
        }
        e_.u32(static_cast<uint32_t>(rng_.range(0, 100)));
        e_.endSub(d);
        size_t f = e_.beginSub("FLAG");
        e_.u8(static_cast<uint32_t>(rng_.below(256)));
        e_.u8(static_cast<uint32_t>(rng_.below(16)));
        e_.zeros(2);
        e_.endSub(f);
        if (rng_.chance(20)) e_.f32sub("XSCL", Sixtyfourths(rng_.range(48, 128)));
        inventory(rng_.chance(30) ? rng_.range(1, 2) : 0);
        int spells = spells_.empty() || !rng_.chance(20) ? 0 : rng_.range(1, 2);
        for (int k = 0; k < spells; ++k) e_.fixedSub("NPCS", rng_.pickOf(spells_).id, 32);
        aiPackages(false);
        end(at);
    }
}

// ---------------------------------------------------------------------------------------------------------
// Cells, landscape and path grids

void Generator::buildPlacementPool() {
    auto add = [&](Kind kind, const std::vector<Named>& items, int weight) {
        if (!items.empty()) pool_.push_back({kind, &items, weight});
    };
    add(Kind::Static, statics_, 50);
    add(Kind::Item, misc_, 10);
    add(Kind::Container, containers_, 6);
    add(Kind::Light, lights_, 8);
    add(Kind::Activator, activators_, 4);
    add(Kind::Door, doors_, 4);
    add(Kind::Item, weapons_, 3);
    add(Kind::Item, armor_, 2);
    add(Kind::Item, clothing_, 2);
    add(Kind::Item, books_, 3);
    add(Kind::Item, potions_, 2);
    add(Kind::Item, ingredients_, 2);
    add(Kind::Item, apparatus_, 1);
    add(Kind::Item, repair_, 1);
    add(Kind::Item, lockpicks_, 1);
    add(Kind::Item, probes_, 1);
    add(Kind::Levelled, levCreatures_, 1);
    add(Kind::Levelled, levItems_, 1);
    for (const Placeable& p : pool_) poolWeight_ += p.weight;
}

std::pair<const Named*, Generator::Kind> Generator::pickPlaceable() {
    int r = rng_.range(0, poolWeight_ - 1);
    for (const Placeable& p : pool_) {
        if (r < p.weight) return {&rng_.pickOf(*p.items), p.kind};
        r -= p.weight;
    }
    return {&rng_.pickOf(*pool_.back().items), pool_.back().kind};
}

void Generator::referenceData(const CellPlan& cell) {
    size_t d = e_.beginSub("DATA");
    int baseX = cell.interior ? -8192 : cell.x * 8192, baseY = cell.interior ? -8192 : cell.y * 8192;
    e_.f32(static_cast<float>(baseX) + Quarters(rng_.range(0, 8191 * 4)));
    e_.f32(static_cast<float>(baseY) + Quarters(rng_.range(0, 8191 * 4)));
    e_.f32(Quarters(rng_.range(-2000, 8000)));
    e_.f32(rng_.chance(10) ? Sixtyfourths(rng_.range(0, 402)) : 0.0f);
    e_.f32(rng_.chance(10) ? Sixtyfourths(rng_.range(0, 402)) : 0.0f);
    e_.f32(Sixtyfourths(rng_.range(0, 402)));
    e_.endSub(d);
}

void Generator::emitReference(const CellPlan& cell, std::string_view object, Kind kind, bool persistent) {
    ++refIndex_;
    ++st_.references;
    if (persistent) ++st_.persistentReferences;
    e_.u32sub("FRMR", refIndex_ & 0xFFFFFF);
    e_.zsub("NAME", object);
    if (o_.unusualLayout && st_.references == 1) e_.tsub("XTRA", std::string_view("\x05\x00\x09", 3));
    const bool lockable = kind == Kind::Door || kind == Kind::Container;
    const bool ownable = kind == Kind::Item || kind == Kind::Container;
    if ((kind == Kind::Static || kind == Kind::Item) && rng_.chance(6))
        e_.f32sub("XSCL", Sixtyfourths(rng_.range(48, 96)));
    if (kind == Kind::Door) {
        size_t t = e_.beginSub("DODT");
        for (int c = 0; c < 3; ++c) e_.f32(Quarters(rng_.range(-40000, 40000)));
        for (int c = 0; c < 3; ++c) e_.f32(c == 2 ? Sixtyfourths(rng_.range(0, 402)) : 0.0f);
        e_.endSub(t);
        if (!interiorNames_.empty() && (!cell.interior || rng_.chance(40)))
            e_.zsub("DNAM", rng_.pickOf(interiorNames_));
    }
    const bool locked = lockable && rng_.chance(12);
    if (locked) e_.u32sub("FLTV", static_cast<uint32_t>(rng_.range(1, 100)));
    if (locked && !keys_.empty() && rng_.chance(50)) e_.zsub("KNAM", rng_.pickOf(keys_).id);
    if (lockable && !spells_.empty() && rng_.chance(5)) e_.zsub("TNAM", rng_.pickOf(spells_).id);
    const bool owned = ownable && cell.interior && !npcs_.empty() && rng_.chance(25);
    if (owned)
        e_.zsub("ANAM", cell.npcs.empty() ? rng_.pickOf(npcs_).id : npcs_[size_t(rng_.pickOf(cell.npcs))].id);
    const bool factionOwned = !owned && ownable && !factions_.empty() && rng_.chance(4);
    if (factionOwned) e_.zsub("CNAM", rng_.pickOf(factions_).id);
    if (kind != Kind::Actor && rng_.chance(1)) e_.u8sub("UNAM", 0);
    if (owned && !globals_.empty() && rng_.chance(10)) e_.zsub("BNAM", rng_.pickOf(globals_).id);
    if (kind == Kind::Item && rng_.chance(3)) e_.f32sub("XCHG", Quarters(rng_.range(40, 1600)));
    if (kind == Kind::Item && rng_.chance(10)) e_.u32sub("INTV", static_cast<uint32_t>(rng_.range(10, 1000)));
    if (kind == Kind::Item && rng_.chance(8)) e_.u32sub("NAM9", static_cast<uint32_t>(rng_.range(2, 50)));
    if (factionOwned) e_.u32sub("INDX", static_cast<uint32_t>(rng_.range(0, 5)));
    if (kind == Kind::Item && !creatures_.empty() && rng_.chance(2))
        e_.zsub("XSOL", rng_.pickOf(creatures_).id);
    referenceData(cell);
    if (o_.deletedRecords && !persistent && st_.references % 37 == 5) {
        // A deleted reference ends with the four bytes the game writes into its DELE.
        e_.raw("DELE");
        e_.u32(4);
        e_.raw(std::string_view("\x64\x2C\x48\x00", 4));
        ++st_.deletedReferences;
    }
}

void Generator::emitCells() {
    std::vector<const CellPlan*> exteriors;
    for (const CellPlan& c : cells_)
        if (!c.interior) exteriors.push_back(&c);
    for (const CellPlan& c : cells_) {
        size_t at = begin("CELL", c.deleted ? 0x20 : 0);
        e_.zsub("NAME", c.name);
        if (c.deleted) e_.dele();
        const bool water = c.interior ? rng_.chance(30) : rng_.chance(60);
        uint32_t flags =
            c.interior ? 1u | (water ? 2u : 0u) | (rng_.chance(4) ? 0x80u : 0u) : (water ? 2u : 0u);
        size_t d = e_.beginSub("DATA");
        e_.u32(flags);
        e_.i32(c.x);
        e_.i32(c.y);
        e_.endSub(d);
        if (!c.interior) {
            e_.zsub("RGNN", c.region);
            size_t m = e_.beginSub("NAM5");
            for (int k = 0; k < 3; ++k) e_.u8(static_cast<uint32_t>(rng_.range(0, 255)));
            e_.u8(0);
            e_.endSub(m);
        } else {
            const bool height = water && rng_.chance(85);
            if (height) e_.f32sub("WHGT", Quarters(rng_.range(-4000, 4000)));
            size_t a = e_.beginSub("AMBI");
            for (int colour = 0; colour < 3; ++colour) {
                for (int k = 0; k < 3; ++k) e_.u8(static_cast<uint32_t>(rng_.range(0, 255)));
                e_.u8(0);
            }
            e_.f32(Quarters(rng_.range(0, 4)));
            e_.endSub(a);
            if (water && !height) e_.u32sub("INTV", static_cast<uint32_t>(rng_.range(-500, 500)));
        }

        for (int n : c.npcs) {
            emitReference(c, npcs_[size_t(n)].id, Kind::Actor, true);
            ++st_.npcReferences;
        }
        for (int k : c.creatures) emitReference(c, creatures_[size_t(k)].id, Kind::Actor, true);
        if (o_.movedReferences && !c.interior && !pool_.empty() && (&c - cells_.data()) % 3 == 0) {
            int moved = rng_.range(1, 2);
            for (int m = 0; m < moved; ++m) {
                // A reference of the master file that this plugin moves into another cell.
                ++refIndex_;
                uint32_t index = (refIndex_ & 0xFFFFFF) | 0x01000000u;
                e_.u32sub("MVRF", index);
                if (!interiorNames_.empty() && rng_.chance(30)) {
                    e_.zsub("CNAM", rng_.pickOf(interiorNames_));
                } else {
                    const CellPlan& to = *rng_.pickOf(exteriors);
                    size_t g = e_.beginSub("CNDT");
                    e_.i32(to.x);
                    e_.i32(to.y);
                    e_.endSub(g);
                }
                e_.u32sub("FRMR", index);
                e_.zsub("NAME", pickPlaceable().first->id);
                referenceData(c);
                ++st_.references;
                ++st_.persistentReferences;
                ++st_.movedReferences;
            }
        }
        int temporary = 0;
        if (o_.refsPerCell > 0 && !pool_.empty())
            temporary = rng_.range(std::max(1, o_.refsPerCell / 2), std::max(1, o_.refsPerCell * 3 / 2));
        if (temporary > 0) {
            e_.u32sub("NAM0", static_cast<uint32_t>(temporary));
            for (int k = 0; k < temporary; ++k) {
                auto [object, kind] = pickPlaceable();
                emitReference(c, object->id, kind, false);
            }
        }
        end(at);
    }
}

void Generator::fillBytes(size_t n, int base, int span) {
    char* p = e_.grow(n);
    for (size_t i = 0; i < n; i += 8) {
        uint64_t r = rng_.next();
        for (size_t j = 0; j < 8 && i + j < n; ++j)
            p[i + j] = static_cast<char>(base + static_cast<int>(((r >> (8 * j)) & 0xFF) % uint64_t(span)));
    }
}

void Generator::emitLand() {
    std::vector<std::pair<int, int>> grid;
    for (const CellPlan& c : cells_)
        if (!c.interior) grid.emplace_back(c.x, c.y);
    const int vertices = 65 * 65;
    for (int k = 0; k < o_.landRecords; ++k) {
        std::pair<int, int> xy = size_t(k) < grid.size() ? grid[size_t(k)] : std::pair<int, int>(k, 1000);
        size_t at = begin("LAND");
        size_t s = e_.beginSub("INTV");
        e_.i32(xy.first);
        e_.i32(xy.second);
        e_.endSub(s);
        e_.u32sub("DATA", 0x0B);
        s = e_.beginSub("VNML");
        char* p = e_.grow(size_t(vertices) * 3);
        for (int v = 0; v < vertices; ++v) {
            uint64_t r = rng_.next();
            p[3 * v] = static_cast<char>(static_cast<int>(r % 9) - 4);
            p[3 * v + 1] = static_cast<char>(static_cast<int>((r >> 8) % 9) - 4);
            p[3 * v + 2] = static_cast<char>(127 - static_cast<int>((r >> 16) % 6));
        }
        e_.endSub(s);
        s = e_.beginSub("VHGT");
        e_.f32(Quarters(rng_.range(-4000, 4000)));
        fillBytes(size_t(vertices), -3, 7);
        e_.zeros(3);
        e_.endSub(s);
        s = e_.beginSub("WNAM");
        fillBytes(81, 0, 256);
        e_.endSub(s);
        s = e_.beginSub("VCLR");
        fillBytes(size_t(vertices) * 3, 200, 56);
        e_.endSub(s);
        s = e_.beginSub("VTEX");
        for (int t = 0; t < 256; ++t)
            e_.u16(static_cast<uint32_t>(rng_.range(0, static_cast<int>(textures_.size()))));
        e_.endSub(s);
        end(at);
    }
}

void Generator::emitPathGrids() {
    std::vector<const CellPlan*> order;
    for (bool interior : {true, false})
        for (const CellPlan& c : cells_)
            if (c.interior == interior && !c.deleted) order.push_back(&c);
    CellPlan none;
    none.name = townName(0);
    for (int k = 0; k < o_.pathGrids; ++k) {
        const CellPlan& c = order.empty() ? none : *order[size_t(k) % order.size()];
        const int n = rng_.range(6, 28);
        std::vector<std::vector<int>> links(static_cast<size_t>(n));
        for (int i = 1; i < n; ++i) {
            links[size_t(i)].push_back(i - 1);
            links[size_t(i) - 1].push_back(i);
        }
        for (int extra = rng_.range(0, n / 3); extra > 0; --extra) {
            int a = rng_.range(0, n - 1), b = rng_.range(0, n - 1);
            auto& la = links[size_t(a)];
            if (a == b || std::find(la.begin(), la.end(), b) != la.end()) continue;
            la.push_back(b);
            links[size_t(b)].push_back(a);
        }
        size_t at = begin("PGRD");
        size_t d = e_.beginSub("DATA");
        e_.i32(c.interior ? 0 : c.x);
        e_.i32(c.interior ? 0 : c.y);
        e_.u16(1024);
        e_.u16(static_cast<uint32_t>(n));
        e_.endSub(d);
        e_.zsub("NAME", c.name);
        size_t p = e_.beginSub("PGRP");
        for (int i = 0; i < n; ++i) {
            e_.i32(rng_.range(-4000, 4000));
            e_.i32(rng_.range(-4000, 4000));
            e_.i32(rng_.range(-500, 1500));
            e_.u8(1);
            e_.u8(static_cast<uint32_t>(links[size_t(i)].size()));
            e_.zeros(2);
        }
        e_.endSub(p);
        size_t g = e_.beginSub("PGRC");
        for (const auto& l : links)
            for (int t : l) e_.u32(static_cast<uint32_t>(t));
        e_.endSub(g);
        end(at);
    }
}

// ---------------------------------------------------------------------------------------------------------
// Dialogue

std::string Generator::newInfoId() {
    for (;;) {
        uint64_t v = rng_.next() >> 1;
        if (infoIds_.insert(v).second) return std::to_string(v);
    }
}

Generator::Condition Generator::randomCondition() {
    Condition c;
    c.comparison = static_cast<char>('0' + rng_.range(0, 5));
    c.intValue = rng_.range(0, 5);
    switch (rng_.below(12)) {
    case 1:
        if (!globals_.empty()) {
            const GlobalPlan& g = rng_.pickOf(globals_);
            c.type = '2';
            c.function = std::string(1, g.type) + "X";
            c.name = g.id;
            c.isFloat = g.type == 'f';
            c.floatValue = Quarters(rng_.range(0, 40));
            return c;
        }
        break;
    case 2:
        c.type = '3';
        c.function = "sX";
        c.name = std::string(rng_.pick(kLocalNames));
        return c;
    case 3:
        if (!journals_.empty()) {
            const auto& j = rng_.pickOf(journals_);
            c.type = '4';
            c.function = "JX";
            c.name = j.first;
            c.intValue = rng_.range(0, j.second / 10) * 10;
            return c;
        }
        break;
    case 4:
        if (!carried_.empty()) {
            c.type = '5';
            c.function = "IX";
            c.name = rng_.pickOf(carried_).id;
            c.intValue = rng_.range(1, 5);
            return c;
        }
        break;
    case 5:
    case 6:
        if (!npcs_.empty()) {
            c.type = rng_.chance(50) ? '6' : '7';
            c.function = c.type == '6' ? "DX" : "XX";
            c.name = rng_.pickOf(npcs_).id;
            c.intValue = rng_.range(0, 1);
            return c;
        }
        break;
    case 7:
        c.type = '8';
        c.function = "FX";
        c.name = factions_.empty() ? std::string(rng_.pick(kVanillaFactions)) : rng_.pickOf(factions_).id;
        c.intValue = 0;
        return c;
    case 8:
        c.type = '9';
        c.function = "CX";
        c.name = classes_.empty() ? std::string(rng_.pick(kVanillaClasses)) : rng_.pickOf(classes_);
        c.intValue = 0;
        return c;
    case 9:
        c.type = 'A';
        c.function = "RX";
        c.name = std::string(rng_.pick(kVanillaRaces));
        c.intValue = 0;
        return c;
    case 10:
        if (!interiorNames_.empty()) {
            c.type = 'B';
            c.function = "LX";
            c.name = rng_.pickOf(interiorNames_);
            c.intValue = 0;
            return c;
        }
        break;
    case 11:
        c.type = 'C';
        c.function = "sX";
        c.name = std::string(rng_.pick(kLocalNames));
        c.intValue = 0;
        return c;
    default: break;
    }
    // A function condition; function 50 (the player's choice) is left to the choice groups.
    int code = rng_.range(0, 70);
    if (code >= 50) ++code;
    c.type = '1';
    c.function = Pad2(code);
    c.intValue = rng_.range(0, 100);
    return c;
}

std::string Generator::questTitle(std::string_view journalId) {
    std::string words;
    size_t start = journalId.find('_');
    start = start == std::string_view::npos ? 0 : start + 1;
    for (size_t i = start; i < journalId.size(); ++i) {
        char ch = journalId[i];
        if (ch >= 'A' && ch <= 'Z' && !words.empty()) words += ' ';
        words += ch;
    }
    return "The " + words;
}

void Generator::emitDialogue() {
    bool deletedResponseAdded = false;
    for (const TopicPlan& t : topicPlans_) {
        size_t at = begin("DIAL", t.deleted ? 0x20 : 0);
        e_.zsub("NAME", t.name);
        e_.u8sub("DATA", static_cast<uint32_t>(t.type));
        if (t.deleted) e_.dele();
        end(at);

        const int n = t.responses;
        std::vector<ResponsePlan> rs(static_cast<size_t>(n));
        for (ResponsePlan& r : rs) r.id = newInfoId();
        if (t.deleted) {
            for (ResponsePlan& r : rs) r.deleted = true;
        } else if (t.type == 4) {
            for (int j = 0; j < n; ++j) {
                ResponsePlan& r = rs[size_t(j)];
                r.journalIndex = j * 10;
                r.questName = j == 0;
                r.questFinished = n >= 3 && j == n - 1;
                r.questRestart = n >= 5 && j == n - 2 && rng_.chance(25);
            }
        } else if ((t.type == 0 || t.type == 2) && n >= 3 && rng_.chance(t.type == 0 ? 35 : 20)) {
            // A choice group: the responses for choices 1 to c, then the question that offers them.
            const int c = std::min(n - 1, rng_.range(2, 3));
            for (int j = 0; j < c; ++j) {
                ResponsePlan& r = rs[size_t(j)];
                r.choice = j + 1;
                r.loop = rng_.chance(30);
                int other = r.choice % c + 1;
                if (r.loop)
                    r.offers = rng_.chance(50) ? std::vector<int>{r.choice, other}
                                               : std::vector<int>{other, r.choice};
                else if (rng_.chance(20))
                    r.offers = {c + 1, c + 2};
            }
            for (int j = 1; j <= c; ++j) rs[size_t(c)].offers.push_back(j);
        }
        if (o_.deletedRecords && !deletedResponseAdded && !t.deleted && t.type == 0) {
            ResponsePlan r;
            r.id = newInfoId();
            r.deleted = true;
            rs.push_back(std::move(r));
            deletedResponseAdded = true;
        }
        static const std::string none;
        for (size_t j = 0; j < rs.size(); ++j)
            emitResponse(t, rs[j], j ? rs[j - 1].id : none, j + 1 < rs.size() ? rs[j + 1].id : none);
    }
}

void Generator::emitResponse(const TopicPlan& t, const ResponsePlan& r, const std::string& prev,
                             const std::string& next) {
    std::string text;
    switch (t.type) {
    case 0: text = responseText(kTopicSentences, 1, 4, true); break;
    case 1: text = responseText(kVoiceSentences, 1, 1, false); break;
    case 2:
        text = responseText(kGreetingSentences, 1, 1, false);
        if (rng_.chance(50)) {
            std::string more = responseText(kTopicSentences, 1, 3, true);
            if (text.size() + 1 + more.size() <= 512) text += " " + more;
        }
        break;
    case 3: text = responseText(kPersuasionSentences, 1, 2, false); break;
    default: text = r.questName ? questTitle(t.name) : responseText(kJournalSentences, 1, 2, false); break;
    }

    size_t at = begin("INFO", r.deleted ? 0x20 : 0);
    e_.zsub("INAM", r.id);
    e_.zsub("PNAM", prev);
    e_.zsub("NNAM", next);
    if (r.deleted) {
        e_.tsub("NAME", text);
        e_.dele();
        end(at);
        return;
    }

    std::string onam, rnam, cnam, fnam, anam, dnam, snam;
    uint32_t rank = 0xFF, gender = 0xFF, pcRank = 0xFF;
    int disposition = 0;
    if (t.type == 4) {
        disposition = r.journalIndex;
    } else if (t.type == 1) {
        if (!npcs_.empty() && rng_.chance(10))
            onam = rng_.pickOf(npcs_).id;
        else if (rng_.chance(60))
            rnam = std::string(rng_.pick(kVanillaRaces));
        gender = rng_.chance(40) ? 0 : (rng_.chance(60) ? 1 : 0xFF);
        std::string race = rnam.empty() ? std::string("d") : Lower(rnam.substr(0, 1));
        snam = "Vo\\" + race + "\\" + (gender == 1 ? "f" : "m") + "\\" + Lower(t.name.substr(0, 3)) + "_" +
               race + (gender == 1 ? "f" : "m") + Pad2(rng_.range(1, 30)) + ".mp3";
    } else {
        int who = static_cast<int>(rng_.below(100));
        if (who < 62 && !npcs_.empty()) {
            onam = rng_.pickOf(npcs_).id;
        } else if (who < 67 && !creatures_.empty()) {
            onam = rng_.pickOf(creatures_).id;
        } else {
            if (rng_.chance(25)) rnam = std::string(rng_.pick(kVanillaRaces));
            if (rng_.chance(20))
                cnam = classes_.empty() ? std::string(rng_.pick(kVanillaClasses)) : rng_.pickOf(classes_);
            if (!factions_.empty() && rng_.chance(25)) {
                const FactionPlan& f = rng_.pickOf(factions_);
                fnam = f.id;
                if (rng_.chance(50))
                    rank = static_cast<uint32_t>(rng_.range(0, static_cast<int>(f.ranks.size()) - 1));
            }
            if (!interiorNames_.empty() && rng_.chance(15)) anam = rng_.pickOf(interiorNames_);
            if (!factions_.empty() && rng_.chance(10)) {
                dnam = rng_.pickOf(factions_).id;
                pcRank = static_cast<uint32_t>(rng_.range(0, 5));
            }
        }
        disposition = t.type == 3 ? rng_.range(0, 10) * 10 : (rng_.chance(30) ? rng_.range(1, 9) * 10 : 0);
        if (rng_.chance(10)) gender = rng_.chance(50) ? 0 : 1;
    }

    size_t d = e_.beginSub("DATA");
    e_.u32(static_cast<uint32_t>(t.type));
    e_.u32(static_cast<uint32_t>(disposition));
    e_.u8(rank);
    e_.u8(gender);
    e_.u8(pcRank);
    e_.u8(0);
    e_.endSub(d);
    e_.zsubIf("ONAM", onam);
    e_.zsubIf("RNAM", rnam);
    e_.zsubIf("CNAM", cnam);
    e_.zsubIf("FNAM", fnam);
    e_.zsubIf("ANAM", anam);
    e_.zsubIf("DNAM", dnam);
    e_.zsubIf("SNAM", snam);
    e_.tsub("NAME", text);
    if (r.questName) e_.u8sub("QSTN", 1);
    if (r.questFinished) e_.u8sub("QSTF", 1);
    if (r.questRestart) e_.u8sub("QSTR", 1);

    std::vector<Condition> conditions;
    int count = 0;
    switch (t.type) {
    case 0: count = rng_.range(0, 2); break;
    case 1: count = rng_.range(0, 2); break;
    case 2: count = rng_.range(1, 4); break;
    case 3: count = rng_.range(0, 1); break;
    default: break;
    }
    for (int k = 0; k < count; ++k) conditions.push_back(randomCondition());
    if (r.choice) {
        Condition c;
        c.type = '1';
        c.function = "50";
        c.comparison = '0';
        c.intValue = r.choice;
        conditions.insert(conditions.begin() + rng_.range(0, static_cast<int>(conditions.size())), c);
        ++st_.choiceConditions;
    }
    for (size_t k = 0; k < conditions.size(); ++k) {
        const Condition& c = conditions[k];
        e_.raw("SCVR");
        e_.u32(static_cast<uint32_t>(5 + c.name.size()));
        e_.u8(static_cast<uint32_t>('0' + k));
        e_.u8(static_cast<unsigned char>(c.type));
        e_.raw(c.function);
        e_.u8(static_cast<unsigned char>(c.comparison));
        e_.raw(c.name);
        if (c.isFloat)
            e_.f32sub("FLTV", c.floatValue);
        else
            e_.u32sub("INTV", static_cast<uint32_t>(c.intValue));
    }

    std::string result;
    if (!r.offers.empty())
        result = resultScript(r.loop, r.offers);
    else if (r.choice)
        result = rng_.chance(50) ? resultScript(false, {}) : std::string();
    else if ((t.type == 0 || t.type == 2) && rng_.chance(40))
        result = resultScript(false, {});
    else if (t.type == 3 && rng_.chance(10))
        result = resultScript(false, {});
    e_.tsubIf("BNAM", result);
    if (r.loop) ++st_.loopResponses;
    end(at);
}

// ---------------------------------------------------------------------------------------------------------
// The whole file

std::string Generator::run(GenStats* stats) {
    plan();
    buildPlacementPool();
    const int cellCount = o_.interiorCells + o_.exteriorCells;
    size_t estimate = size_t(std::max(0, o_.landRecords)) * 30300 +
                      size_t(std::max(0, cellCount)) * size_t(std::max(1, o_.refsPerCell)) * 90 +
                      size_t(std::max(0, o_.responses)) * 500 + size_t(std::max(0, o_.npcs)) * 800 +
                      (1u << 20);
    e_.reserve(estimate);

    emitHeader();
    emitSettings();
    emitGlobals();
    emitClasses();
    emitFactions();
    emitRaces();
    emitSounds();
    emitSkills();
    emitMagicEffects();
    emitScripts();
    emitRegions();
    emitBirthsigns();
    emitLandTextures();
    emitStatics();
    emitDoors();
    emitMisc();
    emitWeapons();
    emitContainers();
    emitSpells();
    emitEnchantments();
    emitBodyParts();
    emitLights();
    emitArmor();
    emitClothing();
    emitTools("REPA", "RIDT", repair_);
    emitActivators();
    emitApparatus();
    emitTools("LOCK", "LKDT", lockpicks_);
    emitTools("PROB", "PBDT", probes_);
    emitIngredients();
    emitBooks();
    emitPotions();
    emitLevelled("LEVI", levItems_, false);
    emitLevelled("LEVC", levCreatures_, true);
    emitSoundGenerators();
    emitStartScripts();
    emitNpcs();
    emitCreatures();
    emitCells();
    emitLand();
    emitPathGrids();
    emitDialogue();

    st_.announcedRecords = st_.totalRecords - 1;
    e_.patchU32(numRecordsAt_, static_cast<uint32_t>(st_.announcedRecords));
    st_.fileSize = static_cast<int64_t>(e_.size());
    for (const auto& [tag, n] : counts_) st_.records[tag] = n;
    if (stats) *stats = st_;
    return std::move(e_.bytes());
}

} // namespace

GenOptions SamplePreset() {
    GenOptions o;
    o.seed = 1;
    o.description = "Vellum Town: a small generated town for trying out Vellum.";
    o.movedReferences = true;
    o.gameSettings = 8;
    o.globals = 6;
    o.classes = 3;
    o.factions = 3;
    o.sounds = 4;
    o.scripts = 6;
    o.landTextures = 3;
    o.statics = 20;
    o.doors = 6;
    o.miscItems = 10;
    o.weapons = 4;
    o.containers = 5;
    o.spells = 4;
    o.enchantments = 3;
    o.bodyParts = 4;
    o.lights = 5;
    o.armor = 4;
    o.clothing = 4;
    o.repairItems = 2;
    o.activators = 4;
    o.apparatus = 2;
    o.lockpicks = 2;
    o.probes = 2;
    o.ingredients = 4;
    o.books = 4;
    o.potions = 4;
    o.levelledItems = 2;
    o.levelledCreatures = 2;
    o.soundGenerators = 2;
    o.npcs = 36;
    o.creatures = 4;
    o.interiorCells = 8;
    o.exteriorCells = 4;
    o.refsPerCell = 25;
    o.landRecords = 4;
    o.pathGrids = 6;
    o.topics = 40;
    o.responses = 320;
    return o;
}

GenOptions MasterPreset() {
    GenOptions o;
    o.seed = 1;
    o.master = true;
    o.description = "Synthetic master file made by vellum-gen.";
    o.gameSettings = 1450;
    o.globals = 73;
    o.classes = 64;
    o.factions = 22;
    o.races = 10;
    o.sounds = 400;
    o.skills = 27;
    o.magicEffects = 137;
    o.scripts = 630;
    o.regions = 9;
    o.birthsigns = 13;
    o.landTextures = 107;
    o.statics = 2800;
    o.doors = 140;
    o.miscItems = 530;
    o.weapons = 485;
    o.containers = 890;
    o.spells = 980;
    o.enchantments = 700;
    o.bodyParts = 1125;
    o.lights = 575;
    o.armor = 280;
    o.clothing = 510;
    o.repairItems = 6;
    o.activators = 700;
    o.apparatus = 22;
    o.lockpicks = 6;
    o.probes = 6;
    o.ingredients = 95;
    o.books = 575;
    o.potions = 258;
    o.levelledItems = 227;
    o.levelledCreatures = 116;
    o.soundGenerators = 168;
    o.startScripts = 5;
    o.npcs = 2700;
    o.creatures = 260;
    o.interiorCells = 1100;
    o.exteriorCells = 1400;
    o.refsPerCell = 156;
    o.landRecords = 1400;
    o.pathGrids = 1100;
    o.topics = 2500;
    o.responses = 30000;
    return o;
}

GenOptions SmallPreset(int responses) {
    GenOptions o;
    o.responses = std::max(0, responses);
    o.topics = std::clamp(o.responses / 5, 5, 40);
    return o;
}

GenOptions UnusualPreset() {
    GenOptions o;
    o.description = "Unusual but well-formed plugin made by vellum-gen.";
    o.unusualLayout = true;
    o.gameSettings = 2;
    o.classes = o.factions = o.doors = o.interiorCells = o.exteriorCells = o.topics = 1;
    o.npcs = o.statics = 3;
    o.refsPerCell = 4;
    o.responses = 2;
    o.sounds = o.skills = o.magicEffects = o.scripts = o.regions = o.landTextures = 0;
    o.weapons = o.containers = o.enchantments = o.bodyParts = o.lights = o.armor = o.clothing = 0;
    o.repairItems = o.activators = o.apparatus = o.lockpicks = o.probes = o.ingredients = o.books = 0;
    o.potions = o.levelledItems = o.levelledCreatures = o.soundGenerators = o.startScripts = 0;
    o.creatures = o.landRecords = o.pathGrids = 0;
    return o;
}

std::string GeneratePlugin(const GenOptions& options, GenStats* stats) {
    Generator g(options);
    return g.run(stats);
}

} // namespace vellum::gen
