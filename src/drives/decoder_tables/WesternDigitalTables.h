#pragma once

// Western Digital: known model and retail numbers, and the position codes of the model number
// layouts (current, earlier, old short, external drives, external products).

#include <cstddef>
#include <string_view>

#include "drives/SpecComposition.h"

namespace bw::wd {

// Compared with the whole upper-cased model text; a match writes the seven fields as they stand.
struct KnownModel {
    std::string_view code, product_name, interface, case_, rpm, size, size_unit, cache;
};

inline constexpr KnownModel kKnownModels[] = {
    {"WD10EZEX", "WD Blue", "SATA 6G", "3.5 Inch", "7200", "1", "TB", "64 MB"},
    {"WD7500AZEX", "WD Blue", "SATA 6G", "3.5 Inch", "7200", "750", "GB", "64 MB"},
    {"WD10EALX", "WD Blue", "SATA 6G", "3.5 Inch", "7200", "10", "TB", "32 MB"},
    {"WD7500AALX", "WD Blue", "SATA 6G", "3.5 Inch", "7200", "750", "GB", "32 MB"},
    {"WD5000AAKX", "WD Blue", "SATA 6G", "3.5 Inch", "7200", "500", "GB", "16 MB"},
    {"WD5000AZLX", "WD Blue", "SATA 6G", "3.5 Inch", "7200", "500", "GB", "32 MB"},
    {"WD3200AAKX", "WD Blue", "SATA 6G", "3.5 Inch", "7200", "320", "GB", "16 MB"},
    {"WD2500AAKX", "WD Blue", "SATA 6G", "3.5 Inch", "7200", "250", "GB", "16 MB"},
    {"WD3200AAJB", "WD Blue", "PATA 100", "3.5 Inch", "7200", "320", "GB", "8 MB"},
    {"WD2500AAJB", "WD Blue", "PATA 100", "3.5 Inch", "7200", "250", "GB", "8 MB"},
    {"WD1600AAJB", "WD Blue", "PATA 100", "3.5 Inch", "7200", "160", "GB", "8 MB"},
    {"WD800AAJB", "WD Blue", "PATA 100", "3.5 Inch", "7200", "80", "GB", "8 MB"},
    {"WD30EARX", "WD Green", "SATA 6G", "3.5 Inch", "7200", "3", "TB", "64 MB"},
    {"WD30EZRX", "WD Green", "SATA 6G", "3.5 Inch", "7200", "3", "TB", "64 MB"},
    {"WD20EARX", "WD Green", "SATA 6G", "3.5 Inch", "7200", "2", "TB", "64 MB"},
    {"WD20EZRX", "WD Green", "SATA 6G", "3.5 Inch", "7200", "2", "TB", "64 MB"},
    {"WD15EARX", "WD Green", "SATA 6G", "3.5 Inch", "7200", "1.5", "TB", "64 MB"},
    {"WD10EARX", "WD Green", "SATA 6G", "3.5 Inch", "7200", "1", "TB", "64 MB"},
    {"WD10EZRX", "WD Green", "SATA 6G", "3.5 Inch", "7200", "1", "TB", "64 MB"},
    {"WD5000AZRX", "WD Green", "SATA 6G", "3.5 Inch", "7200", "500", "GB", "32 MB"},
    {"WD3002FAEX", "WD Black", "SATA 6G", "3.5 Inch", "7200", "3", "TB", "64 MB"},
    {"WD2502FAEX", "WD Black", "SATA 6G", "3.5 Inch", "7200", "2.5", "TB", "64 MB"},
    {"WD2002FAEX", "WD Black", "SATA 6G", "3.5 Inch", "7200", "2", "TB", "64 MB"},
    {"WD1502FAEX", "WD Black", "SATA 6G", "3.5 Inch", "7200", "1.5", "TB", "64 MB"},
    {"WD1002FAEX", "WD Black", "SATA 6G", "3.5 Inch", "7200", "1", "TB", "64 MB"},
    {"WD5002AALX", "WD Black", "SATA 6G", "3.5 Inch", "7200", "500", "GB", "32 MB"},
    {"WD5003AZEX", "WD Black", "SATA 6G", "3.5 Inch", "7200", "500", "GB", "64 MB"},
    {"WD1000DHTZ", "WD VelociRaptor", "SATA 6G", "3.5 Inch", "10,000", "1", "TB", "64 MB"},
    {"WD5000HHTZ", "WD VelociRaptor", "SATA 6G", "3.5 Inch", "10,000", "500", "GB", "64 MB"},
    {"WD2500HHTZ", "WD VelociRaptor", "SATA 6G", "3.5 Inch", "10,000", "250", "GB", "64 MB"},
    {"WD10JPVT", "Mobile WD Blue", "SATA 3G", "2.5 Inch", "5400", "1", "TB", "8 MB"},
    {"WD10TPVT", "Mobile WD Blue", "SATA 3G", "2.5 Inch", "5400", "1", "TB", "8 MB"},
    {"WD7500BPVT", "Mobile WD Blue", "SATA 3G", "2.5 Inch", "5400", "750", "GB", "8 MB"},
    {"WD6400BPVT", "Mobile WD Blue", "SATA 3G", "2.5 Inch", "5400", "640", "GB", "8 MB"},
    {"WD5000BPVT", "Mobile WD Blue", "SATA 3G", "2.5 Inch", "5400", "500", "GB", "8 MB"},
    {"WD3200BPVT", "Mobile WD Blue", "SATA 3G", "2.5 Inch", "5400", "320", "GB", "8 MB"},
    {"WD2500BPVT", "Mobile WD Blue", "SATA 3G", "2.5 Inch", "5400", "250", "GB", "8 MB"},
    {"WD5000LPVT", "Mobile WD Blue", "SATA 3G", "2.5 Inch", "5400", "500", "GB", "8 MB"},
    {"WD3200LPVT", "Mobile WD Blue", "SATA 3G", "2.5 Inch", "5400", "320", "GB", "8 MB"},
    {"WD2500LPVT", "Mobile WD Blue", "SATA 3G", "2.5 Inch", "5400", "250", "GB", "8 MB"},
    {"WD3200BEVE", "Mobile WD Blue", "PATA 100", "2.5 Inch", "5400", "320", "GB", "8 MB"},
    {"WD2500BEVE", "Mobile WD Blue", "PATA 100", "2.5 Inch", "5400", "250", "GB", "8 MB"},
    {"WD1600BEVE", "Mobile WD Blue", "PATA 100", "2.5 Inch", "5400", "160", "GB", "8 MB"},
    {"WD1200BEVE PATA", "Mobile WD Blue", "PATA 100", "2.5 Inch", "5400", "120", "GB", "8 MB"},
    {"WD800BEVE", "Mobile WD Blue", "PATA 100", "2.5 Inch", "5400", "80", "GB", "8 MB"},
    {"WD40NPVT", "WD Green", "SATA 3G", "2.5 Inch", "7200", "4", "TB", "8 MB"},
    {"WD35NPVT", "WD Green", "SATA 3G", "2.5 Inch", "7200", "3.5", "TB", "8 MB"},
    {"WD30NPVT", "WD Green", "SATA 3G", "2.5 Inch", "7200", "3", "TB", "8 MB"},
    {"WD25NPVT", "WD Green", "SATA 3G", "2.5 Inch", "7200", "2.5", "TB", "8 MB"},
    {"WD20NPVT", "WD Green", "SATA 3G", "2.5 Inch", "7200", "2", "TB", "8 MB"},
    {"WD15NPVT", "WD Green", "SATA 3G", "2.5 Inch", "7200", "1.5", "TB", "8 MB"},
    {"WD10NPVT", "WD Green", "SATA 3G", "2.5 Inch", "7200", "1", "TB", "8 MB"},
    {"WD7500BPKT", "WD Black", "SATA 3G", "2.5 Inch", "7200", "750", "GB", "16 MB"},
    {"WD5000BPKT", "WD Black", "SATA 3G", "2.5 Inch", "7200", "500", "GB", "16 MB"},
    {"WD3200BPKT", "WD Black", "SATA 3G", "2.5 Inch", "7200", "320", "GB", "16 MB"},
    {"WD2500BPKT", "WD Black", "SATA 3G", "2.5 Inch", "7200", "250", "GB", "16 MB"},
    {"WD1600BPKT", "WD Black", "SATA 3G", "2.5 Inch", "7200", "160", "GB", "16 MB"},
    {"WD40EFRX", "NAS WD Red", "SATA 6G", "3.5 Inch", "7200", "4", "TB", "64 MB"},
    {"WD30EFRX", "NAS WD Red", "SATA 6G", "3.5 Inch", "7200", "3", "TB", "64 MB"},
    {"WD20EFRX", "NAS WD Red", "SATA 6G", "3.5 Inch", "7200", "2", "TB", "64 MB"},
    {"WD10EFRX", "NAS WD Red", "SATA 6G", "3.5 Inch", "7200", "1", "TB", "64 MB"},
    {"WD9001BKHG", "WD Enterprise WD XE", "SATA 6G", "2.5 Inch", "10,000", "900", "GB", "32 MB"},
    {"WD6001BKHG", "WD Enterprise WD XE", "SATA 6G", "2.5 Inch", "10,000", "600", "GB", "32 MB"},
    {"WD4501BKHG", "WD Enterprise WD XE", "SATA 6G", "2.5 Inch", "10,000", "450", "GB", "32 MB"},
    {"WD3001BKHG", "WD Enterprise WD XE", "SATA 6G", "2.5 Inch", "10,000", "300", "GB", "32 MB"},
    {"WD4001FYYG", "WD RE SAS", "SATA 6G", "3.5 Inch", "7200", "4", "TB", "32 MB"},
    {"WD3001FYYG", "WD RE SAS", "SATA 6G", "3.5 Inch", "7200", "3", "TB", "32 MB"},
    {"WD2001FYYG", "WD RE SAS", "SATA 6G", "3.5 Inch", "7200", "2", "TB", "32 MB"},
    {"WD1001FYYG", "WD RE SAS", "SATA 6G", "3.5 Inch", "7200", "1", "TB", "32 MB"},
    {"WD4003FYYS", "WD RE4", "SATA 3G", "3.5 Inch", "7200", "4", "TB", "64 MB"},
    {"WD3503FYYS", "WD RE4", "SATA 3G", "3.5 Inch", "7200", "3.5", "TB", "64 MB"},
    {"WD3003FYYS", "WD RE4", "SATA 3G", "3.5 Inch", "7200", "3", "TB", "64 MB"},
    {"WD2503FYYS", "WD RE4", "SATA 3G", "3.5 Inch", "7200", "2.5", "TB", "64 MB"},
    {"WD2003FYYS", "WD RE4", "SATA 3G", "3.5 Inch", "7200", "2", "TB", "64 MB"},
    {"WD1503FYYS", "WD RE4", "SATA 3G", "3.5 Inch", "7200", "1.5", "TB", "64 MB"},
    {"WD1003FYYS", "WD RE4", "SATA 3G", "3.5 Inch", "7200", "1", "TB", "64 MB"},
    {"WD5003ABYX", "WD RE4", "SATA 3G", "3.5 Inch", "7200", "500", "GB", "64 MB"},
    {"WD2503ABYX", "WD RE4", "SATA 3G", "3.5 Inch", "7200", "250", "GB", "64 MB"},
    {"WD40EURS", "WD AV-GP", "SATA 3G", "3.5 Inch", "7200", "4", "TB", "64 MB"},
    {"WD35EURS", "WD AV-GP", "SATA 3G", "3.5 Inch", "7200", "3.5", "TB", "64 MB"},
    {"WD30EURS", "WD AV-GP", "SATA 3G", "3.5 Inch", "7200", "3", "TB", "64 MB"},
    {"WD25EURS", "WD AV-GP", "SATA 3G", "3.5 Inch", "7200", "2.5", "TB", "64 MB"},
    {"WD20EURS", "WD AV-GP", "SATA 3G", "3.5 Inch", "7200", "2", "TB", "64 MB"},
    {"WD15EURS", "WD AV-GP", "SATA 3G", "3.5 Inch", "7200", "1.5", "TB", "64 MB"},
    {"WD7500AURS", "WD AV-GP", "SATA 3G", "3.5 Inch", "7200", "750", "GB", "64 MB"},
    {"WD10EVDS", "WD AV-GP", "SATA 3G", "3.5 Inch", "7200", "1", "TB", "32 MB"},
    {"WD7500AVDS", "WD AV-GP", "SATA 3G", "3.5 Inch", "7200", "750", "GB", "32 MB"},
    {"WD5000AVDS", "WD AV-GP", "SATA 3G", "3.5 Inch", "7200", "500", "GB", "32 MB"},
    {"WD3200AVCS", "WD AV-GP", "SATA 3G", "3.5 Inch", "7200", "320", "GB", "16 MB"},
    {"WD2500AVCS", "WD AV-GP", "SATA 3G", "3.5 Inch", "7200", "250", "GB", "16 MB"},
    {"WD1600AVCS", "WD AV-GP", "SATA 3G", "3.5 Inch", "7200", "160", "GB", "16 MB"},
    {"WD10EURS", "WD AV-GP", "SATA 6G", "3.5 Inch", "7200", "1", "TB", "64 MB"},
    {"WD10EUCX", "WD AV-GP", "SATA 6G", "3.5 Inch", "7200", "1", "TB", "16 MB"},
    {"WD30JUCT", "WD AV-25", "SATA 3G", "2.5 Inch", "7200", "3", "TB", "16 MB"},
    {"WD25JUCT", "WD AV-25", "SATA 3G", "2.5 Inch", "7200", "2.5", "TB", "16 MB"},
    {"WD20JUCT", "WD AV-25", "SATA 3G", "2.5 Inch", "7200", "2", "TB", "16 MB"},
    {"WD15JUCT", "WD AV-25", "SATA 3G", "2.5 Inch", "7200", "1.5", "TB", "16 MB"},
    {"WD10JUCT", "WD AV-25", "SATA 3G", "2.5 Inch", "7200", "1", "TB", "16 MB"},
    {"WD5000BUCT", "WD AV-25", "SATA 3G", "2.5 Inch", "7200", "500", "GB", "16 MB"},
    {"WD3200BUCT", "WD AV-25", "SATA 3G", "2.5 Inch", "7200", "320", "GB", "16 MB"},
    {"WD2500BUCT", "WD AV-25", "SATA 3G", "2.5 Inch", "7200", "250", "GB", "16 MB"},
    {"WD1600BUCT", "WD AV-25", "SATA 3G", "2.5 Inch", "7200", "160", "GB", "16 MB"},
    {"WDBACW0040HBK", "My Book Essential", "USB 3.0", "", "7200", "4", "TB", "UKN"},
    {"WDBACW0035HBK", "My Book Essential", "USB 3.0", "", "7200", "3.5", "TB", "UKN"},
    {"WDBACW0025HBK", "My Book Essential", "USB 3.0", "", "7200", "2.5", "TB", "UKN"},
    {"WDBACW0030HBK", "My Book Essential", "USB 3.0", "", "7200", "3", "TB", "UKN"},
    {"WDBACW0020HBK", "My Book Essential", "USB 3.0", "", "7200", "2", "TB", "UKN"},
    {"WDBACW0015HBK", "My Book Essential", "USB 3.0", "", "7200", "1.5", "TB", "UKN"},
    {"WDBACW0010HBK", "My Book Essential", "USB 3.0", "", "7200", "1", "TB", "UKN"},
    {"WDBAAU0040HBK", "WD Elements Desktop", "USB 2.0", "", "7200", "4", "TB", "UKN"},
    {"WDBAAU0035HBK", "WD Elements Desktop", "USB 2.0", "", "7200", "3.5", "TB", "UKN"},
    {"WDBAAU0030HBK", "WD Elements Desktop", "USB 2.0", "", "7200", "3", "TB", "UKN"},
    {"WDBAAU0025HBK", "WD Elements Desktop", "USB 2.0", "", "7200", "2.5", "TB", "UKN"},
    {"WDBAAU0020HBK", "WD Elements Desktop", "USB 2.0", "", "7200", "2", "TB", "UKN"},
    {"WDBAAU0015HBK", "WD Elements Desktop", "USB 2.0", "", "7200", "1.5", "TB", "UKN"},
    {"WDBAAU0010HBK", "WD Elements Desktop", "USB 2.0", "", "7200", "1", "TB", "UKN"},
    {"WDBAAU7500EBK", "WD Elements Desktop", "USB 2.0", "", "7200", "750", "GB", "UKN"},
    {"WDBAAU6400EBK", "WD Elements Desktop", "USB 2.0", "", "7200", "640", "GB", "UKN"},
    {"WDBAAU5000EBK", "WD Elements Desktop", "USB 2.0", "", "7200", "500", "GB", "UKN"},
    {"WDBUWZ0020JBK", "My Book VelociRaptor", "Thunderbolt", "", "10,000", "2", "TB", "UKN"},
    {"WDBC4G0030HAL", "My Book Studio", "FireWire 800/USB 2.0", "", "7200", "4", "TB", "UKN"},
    {"WDBC3G0030HAL", "My Book Studio", "FireWire 800/USB 2.0", "", "7200", "3", "TB", "UKN"},
    {"WDBC2G0030HAL", "My Book Studio", "FireWire 800/USB 2.0", "", "7200", "2", "TB", "UKN"},
    {"WDBC1G0030HAL", "My Book Studio", "FireWire 800/USB 2.0", "", "7200", "1", "TB", "UKN"},
    {"WDBS8P0040BBK", "My Book Studio", "FireWire 800/USB 2.0", "", "7200", "4", "TB", "UKN"},
    {"WDBS8P0035BBK", "My Book Studio", "FireWire 800/USB 2.0", "", "7200", "3.5", "TB", "UKN"},
    {"WDBS8P0030BBK", "My Book Studio", "FireWire 800/USB 2.0", "", "7200", "3", "TB", "UKN"},
    {"WDBS8P0025BBK", "My Book Studio", "FireWire 800/USB 2.0", "", "7200", "2.5", "TB", "UKN"},
    {"WDBS8P0020BBK", "My Book Studio", "FireWire 800/USB 2.0", "", "7200", "2", "TB", "UKN"},
    {"WDBS8P0015BBK", "My Book Studio", "FireWire 800/USB 2.0", "", "7200", "1.5", "TB", "UKN"},
    {"WDBS8P0010BBK", "My Book Studio", "FireWire 800/USB 2.0", "", "7200", "1", "TB", "UKN"},
    {"WDBALG5000ABK", "My Book Studio", "FireWire 800/USB 2.0", "", "7200", "500", "GB", "UKN"},
    {"WDH2Q60000", "My Book Studio II", "Quad Interface", "", "7200", "6", "TB", "UKN"},
    {"WDH2Q40000", "My Book Studio II", "Quad Interface", "", "7200", "4", "TB", "UKN"},
    {"WDH2Q20000", "My Book Studio II", "Quad Interface", "", "7200", "2", "TB", "UKN"},
    {"WDBK6Z5000ATT", "My Passport Edge", "USB 3.0", "", "7200", "500", "GB", "UKN"},
    {"WDBY8L0040BBK", "My Passport", "USB 3.0", "", "7200", "4", "TB", "UKN"},
    {"WDBY8L0030BBK", "My Passport", "USB 3.0", "", "7200", "3", "TB", "UKN"},
    {"WDBY8L0020BBK", "My Passport", "USB 3.0", "", "7200", "2", "TB", "UKN"},
    {"WDBY8L0010BBK", "My Passport", "USB 3.0", "", "7200", "1", "TB", "UKN"},
    {"WDBBEP7500ABK", "My Passport", "USB 3.0", "", "7200", "750", "GB", "UKN"},
    {"WDBKXH5000ABK", "My Passport", "USB 3.0", "", "7200", "500", "GB", "UKN"},
    {"WDBBEP0010BBL", "My Passport", "USB 3.0", "", "7200", "1", "TB", "UKN"},
    {"WDBBEP7500ABL", "My Passport", "USB 3.0", "", "7200", "750", "GB", "UKN"},
    {"WDBKXH5000ABL", "My Passport", "USB 3.0", "", "7200", "500", "GB", "UKN"},
    {"WDBBEP0010BRD", "My Passport", "USB 3.0", "", "7200", "500", "GB", "UKN"},
    {"WDBBEP7500ARD", "My Passport", "USB 3.0", "", "7200", "750", "GB", "UKN"},
    {"WDBKXH5000ARD", "My Passport", "USB 3.0", "", "7200", "500", "GB", "UKN"},
    {"WDBBEP0010BSL", "My Passport", "USB 3.0", "", "7200", "500", "GB", "UKN"},
    {"WDBBEP7500ASL", "My Passport", "USB 3.0", "", "7200", "750", "GB", "UKN"},
    {"WDBKXH5000ASL", "My Passport", "USB 3.0", "", "7200", "500", "GB", "UKN"},
    {"WDBPCK0030BBK", "My Passport", "USB 3.0", "", "7200", "3", "TB", "UKN"},
    {"WDBPCK0025BBK", "My Passport", "USB 3.0", "", "7200", "2.5", "TB", "UKN"},
    {"WDBPCK0020BBK", "My Passport", "USB 3.0", "", "7200", "2", "TB", "UKN"},
    {"WDBPCK0015BBK", "My Passport", "USB 3.0", "", "7200", "1.5", "TB", "UKN"},
    {"WDBPCK0010BBK", "My Passport", "USB 3.0", "", "7200", "1", "TB", "UKN"},
    {"WDBPCK7500ABK", "My Passport", "USB 3.0", "", "7200", "750", "GB", "UKN"},
    {"WDBPCK5000ABK", "My Passport", "USB 3.0", "", "7200", "500", "GB", "UKN"},
    {"WDBKKF0030BSL", "My Passport", "USB 3.0", "", "7200", "3", "TB", "UKN"},
    {"WDBKKF0025BSL", "My Passport", "USB 3.0", "", "7200", "2.5", "TB", "UKN"},
    {"WDBKKF0020BSL", "My Passport", "USB 3.0", "", "7200", "2", "TB", "UKN"},
    {"WDBKKF0015BSL", "My Passport", "USB 3.0", "", "7200", "1.5", "TB", "UKN"},
    {"WDBKKF0010BSL", "My Passport", "USB 3.0", "", "7200", "1", "TB", "UKN"},
    {"WDBGCH5000ASL", "My Passport", "USB 3.0", "", "7200", "500", "GB", "UKN"},
    {"WDBBXV0040BBK", "My Passport", "USB 3.0", "", "7200", "4", "TB", "UKN"},
    {"WDBBXV0035BBK", "My Passport", "USB 3.0", "", "7200", "3.5", "TB", "UKN"},
    {"WDBBXV0030BBK", "My Passport", "USB 3.0", "", "7200", "3", "TB", "UKN"},
    {"WDBBXV0025BBK", "My Passport", "USB 3.0", "", "7200", "2.5", "TB", "UKN"},
    {"WDBBXV0020BBK", "My Passport", "USB 3.0", "", "7200", "2", "TB", "UKN"},
    {"WDBBXV0015BBK", "My Passport", "USB 3.0", "", "7200", "1.5", "TB", "UKN"},
    {"WDBBXV0010BBK", "My Passport", "USB 3.0", "", "7200", "1", "TB", "UKN"},
    {"WDBBXV7500ABK", "My Passport", "USB 3.0", "", "7200", "750", "GB", "UKN"},
    {"WDBL1D5000ABK", "My Passport", "USB 3.0", "", "7200", "500", "GB", "UKN"},
};
static_assert(std::size(kKnownModels) == 173);

// ---- Current layout: "WD" + four capacity characters + four code letters -----------------------

struct UnitCase {
    std::string_view code, size_unit, case_;
};
inline constexpr UnitCase kCurrentChar7[] = {
    {"A", "GB", "3.5"}, {"B", "GB", "2.5"}, {"G", "GB", "2.5"}, {"H", "GB", "2.5"},
    {"K", "GB", "2.5"}, {"L", "GB", "2.5"}, {"C", "TB", "2.5"}, {"D", "TB", "2.5"},
    {"N", "TB", "2.5"}, {"S", "TB", "2.5"}, {"T", "TB", "2.5"}, {"E", "TB", "3.5"},
    {"F", "TB", "3.5"}, {"J", "TB", "3.5"},
};

inline constexpr decode::CodeText kCurrentChar8[] = {
    {"A", "Desktop WD Blue; WD Green; WD Black; WD Caviar"},
    {"B", "Enterprise WD RE 3-Platter"},
    {"D", "Enterprise WD Raptor"},
    {"E", "Mobile WD Blue; WD Green; WD Black; WD Scorpio"},
    {"F", "Desktop NAS WD Red"},
    {"H", "Enthusiast WD VelociRaptor"},
    {"K", "Enterprise WD XE; WD S25"},
    {"L", "Enterprise WD VelociRaptor"},
    {"M", "Branded Advanced Format WD"},
    {"N", "Mobile Advanced Format WD Blue; WD Green; WD Black; WD Scorpio"},
    {"R", "Enterprise Advanced Format WD RE Drive"},
    {"U", "Audio-Video Advanced Format - WD AV"},
    {"V", "Audio-Video - WD AV"},
    {"W", "Enterprise Advanced Format WD VelociRaptor"},
    {"Y", "Enterprise WD RE drive 4-Platter"},
    {"Z", "Desktop Advanced Format WD Blue; WD Black; WD Green; WD Caviar"},
};

struct RpmCache {
    std::string_view code, rpm, cache;
};
inline constexpr RpmCache kCurrentChar9[] = {
    {"A", "5400", "2 MB"},   {"B", "7200", "2 MB"},    {"C", "5400", "16 MB"},
    {"D", "5400", "32 MB"},  {"E", "7200", "64 MB"},   {"F", "10,000", "16 MB"},
    {"G", "10,000", "8 MB"}, {"H", "10,000", "32 MB"}, {"J", "7200", "8 MB"},
    {"K", "7200", "16 MB"},  {"L", "7200", "32 MB"},   {"P", "10,000", "Max"},
    {"R", "5400", "64 MB"},  {"S", "7200", "64 MB"},   {"T", "10,000", "Max"},
    {"V", "5400", "8 MB"},   {"Y", "7200", "Max"},
};

// Interface by the last code letter. "S" names two interfaces: the first text when the brand just
// decoded is a mobile one, the second otherwise; every other row has one text.
struct InterfaceCode {
    std::string_view code, text, text_unless_mobile;
};
inline constexpr InterfaceCode kCurrentChar10[] = {
    {"A", "ATA/66 40-pin IDE", {}},
    {"B", "ATA/100 40-pin IDE", {}},
    {"C", "ATA 33-pin", {}},
    {"D", "SATA 1.5 Gb/s 22-pin SATA", {}},
    {"E", "ATA/133 40-pin IDE", {}},
    {"F", "SAS-3 29-pin", {}},
    {"G", "SAS-6 29-pin", {}},
    {"R", "SATA 1.5G w/ NCQ", {}},
    {"S", "ATA 1.5 Gb/s 22-pin SATA", "SATA 3 Gb/s 22-pin SATA"},
    {"T", "SATA 3 Gb/s 22-pin SATA", {}},
    {"X", "SATA 6 Gb/s 22-pin SATA", {}},
    {"Z", "SATA 6 Gb/s 22-pin SATA", {}},
};

// ---- Earlier layout: same positions, older words ------------------------------------------------

inline constexpr UnitCase kEarlierChar7[] = {
    {"A", "GB", "3.5"}, {"B", "GB", "2.5"}, {"C", "GB", "1"},   {"E", "TB", "3.5"},
    {"F", "TB", "3.5"}, {"G", "GB", "2.5"}, {"H", "GB", "2.5"}, {"J", "TB", "2.5"},
};

inline constexpr decode::CodeText kEarlierChar8[] = {
    {"A", "Desktop WD Caviar"},
    {"B", "Enterprise WD RE3; WD RE2 3-Platter"},
    {"C", "Enterprise WD Protege"},
    {"D", "Enterprise WD Raptor"},
    {"E", " Mobile WD Scorpio"},
    {"H", "Enthusiast WD Raptor X"},
    {"K", "Mobile WD Scorpio Free Fall Sensor (FFS)"},
    {"L", "Enterprise WD VelociRaptor"},
    {"M", "Branded WD Branded"},
    {"V", "Audio-Video - WD AV"},
    {"Y", "Enterprise WD RE4; WD RE3; WD RE2 4-Platter"},
};

// Speed and cache, and a brand that replaces the one of character 8 (empty brand included).
struct RpmCacheBrand {
    std::string_view code, rpm, cache, brand;
};
inline constexpr RpmCacheBrand kEarlierChar9[] = {
    {"A", "5400", "2 MB", ""},
    {"B", "7200", "2 MB", ""},
    {"C", "IntelliPower", "16 MB", ""},
    {"D", "5400", "32 MB", ""},
    {"E", "5400", "UKN", "Single Platter"},
    {"F", "10,000", "16 MB", ""},
    {"G", "10,000", "8 MB", ""},
    {"H", "10,000", "32 MB", ""},
    {"J", "7200", "8 MB", ""},
    {"K", "7200", "16 MB", ""},
    {"L", "7200", "32 MB", ""},
    {"P", "IntelliPower EM", "Max", "EM"},
    {"V", "5400", "8 MB", "Mobile"},
    {"Y", "7200", "Max", "EM"},
};

inline constexpr InterfaceCode kEarlierChar10[] = {
    {"A", "ATA/66 with 40-pin IDE connector", {}},
    {"B", "ATA/100 with 40-pin IDE connector", {}},
    {"C", "ATA with 33-pin connector", {}},
    {"D", "SATA 1.5 Gb/s with 22-pin SATA connector", {}},
    {"E", "ATA/133 with 40-pin IDE connector", {}},
    {"F", "SAS-3 with 29-pin connector", {}},
    {"G", "SAS-6 with 29-pin connector", {}},
    {"S", "ATA 1.5 Gb/s with 22-pin SATA connector", "SATA 3 Gb/s with 22-pin SATA connector"},
    {"T", "SATA 3 Gb/s with 22-pin SATA connector", {}},
};

// ---- Old short layout: "WD" + two to four capacity digits + two code letters --------------------

inline constexpr RpmCacheBrand kOldNextToLast[] = {
    {"A", "5400", "UNK", "Multi-Platter"},
    {"B", "7200", "2 MB", ""},
    {"C", "10,000", "UKN", ""},
    {"D", "4500", "UKN", ""},
    {"E", "5400", "UKN", "Single Platter"},
    {"F", "10,000", "2 MB", ""},
    {"G", "10,000", "8 MB", ""},
    {"H", "10,000", "4 MB", ""},
    {"J", "7200", "8 MB", ""},
    {"K", "7200", "16 MB", ""},
    {"L", "7200", "UKN", "Quiet Drive"},
    {"M", "5400", "UKN", "Fluid Dynamic Bearings–FDB"},
    {"N", "5400", "UKN", "Protege with Fluid Dynamic Bearings–FDB"},
    {"P", "7200 (Quite Drive)", "8 MB", ""},
    {"R", "10,000", "8 MB", ""},
    {"S", "7200", "8 MB", "Server-Enterprise"},
    {"T", "7200", "8 MB", "Server-Enterprise Quiet Drive"},
    {"U", "5400", "2 MB", "Mobile"},
    {"V", "5400", "8 MB", "Mobile"},
    {"W", "3600", "UKN", "Mobile 1.0"},
    {"X", "4200", "UKN", "Mobile"},
    {"Y", "7200", "16 MB", "Server-Enterprise"},
    {"Z", "7200", "2 MB", "End of life"},
};

inline constexpr decode::CodeText kOldLast[] = {
    {"A", "ATA/66 with 40-pin IDE connector"},
    {"B", "ATA/100 with 40-pin IDE connector"},
    {"C", "FireWire"},
    {"D", "SATA 1.0 (150 MB/s) with 22-pin SATA connector"},
    {"P", "CF+II with 50-pin connector"},
    {"R", "WD RE2 / RAID Edition 2"},
    {"S", "SATA 300 MB/s with 22-pin SATA connector"},
};

// ---- External drives (characters 8 to 10) and external products ("WDX...") ---------------------

inline constexpr decode::CodeText kExternalDriveCodes[] = {
    {"001", "FireWire-1394"},
    {"002", "FireWire-1394"},
    {"005", "USB 2.0"},
    {"006", "FireWire USB 2.0 Combo"},
    {"007", "FireWire USB 2.0 Combo"},
    {"008", "USB Series II"},
    {"011", "FireWire USB 2.0"},
    {"012", "FireWire USB 2.0 with Flash"},
    {"014", "USB 2.0 Series III One Button"},
    {"015", "USB 2.0 Series III Three Button"},
    {"017", "USB 2.0, 2.5-inch drive"},
    {"019", " USB 2.0/Ethernet external drive"},
    {"020", "SATA"},
    {"027", "3.5-inch USB external floppy drive"},
};

// Product keys right after "WD"; the three-letter keys are tried first so that "XUB" is not read
// as "XU". The capacity code follows the key, then the speed-and-cache letter and the interface
// letter of the current layout.
inline constexpr decode::CodeText kExternalProducts[] = {
    {"XCB", "WD Dual-option Combo"},    {"XML", "WD Passport Portable"},
    {"XMM", "WD Passport Pocket"},      {"XUB", "WD Dual-option USB"},
    {"XUL", "WD Essential USB"},        {"XB", "WD Dual-option Combo"},
    {"XC", "WD Extreme Lighted Combo"}, {"XD", "SATA"},
    {"XE", "WD NetCenter Network"},     {"XF", "WD Media Center"},
    {"XS", "WD External SATA"},         {"XU", "External USB 2.0"},
};

}  // namespace bw::wd
