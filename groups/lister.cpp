#include "groups/lister.h"

#include "drillcore/wordfile.h"
#include "recordkeeping/recordfile.h"

#include <QFileInfo>

namespace Groups
{

QList<GroupListing> listCollection(const QString &folder, int firstWords)
{
    QList<GroupListing> listings;
    const int count = WordFile::discoverGroups(folder);
    for (int n = 1; n <= count; ++n) {
        GroupListing listing;
        listing.number = n;
        const WordFile::Group group = WordFile::loadGroup(WordFile::groupPath(folder, n));
        if (group.status != WordFile::LoadStatus::Ok) {
            listing.error = group.error;
        }
        listing.words = static_cast<int>(group.entries.size());
        for (qsizetype i = 0; i < group.entries.size() && i < firstWords; ++i) {
            listing.firstWords.append(group.entries[i].word.trimmed());
        }
        const QString record = RecordFile::recordPath(folder, n);
        // Reading a record that is not there would create it.
        listing.hasRecord = QFileInfo::exists(record);
        if (listing.hasRecord) {
            const RecordFile::ReadResult places = RecordFile::readRecord(record);
            listing.recordError = places.ok ? QString() : places.error;
            for (const RecordFile::PlaceRecord &place : places.places) {
                listing.bestPoint = std::max(listing.bestPoint, place.Point);
                listing.placesFilled += place.Point > 0 ? 1 : 0;
            }
        }
        listings.append(listing);
    }
    return listings;
}

QString formatListing(const GroupListing &listing)
{
    QString line = QStringLiteral("%1  ").arg(listing.number, 3);
    if (!listing.error.isEmpty()) {
        return line + QStringLiteral("cannot be loaded: ") + listing.error;
    }
    // "word " padded as "words" is, so that the first words stand in one column.
    line += QStringLiteral("%1 %2  ")
                .arg(listing.words, 5)
                .arg(listing.words == 1 ? QStringLiteral("word ") : QStringLiteral("words"));
    QString words = listing.firstWords.join(QStringLiteral(", "));
    if (listing.words > listing.firstWords.size()) {
        words += QStringLiteral(", ...");
    }
    line += words;
    if (!listing.recordError.isEmpty()) {
        return line + QStringLiteral("  | record cannot be read: ") + listing.recordError;
    }
    if (listing.placesFilled == 0) {
        return line + QStringLiteral("  | no runs recorded");
    }
    return line + QStringLiteral("  | best %1, %2 of 10 places filled")
                      .arg(listing.bestPoint)
                      .arg(listing.placesFilled);
}

} // namespace Groups
