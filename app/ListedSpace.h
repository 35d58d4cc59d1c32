#pragma once

#include <QString>

// The address a window's list was fetched from. The address box may be changed afterwards;
// the list's save still goes into the folder of the space it came from, never another's.
class ListedSpace {
public:
    void SetListedAddress(const QString& address) { listedAddress_ = address; }

    // The address of the space listed, or `typed` when nothing has been listed yet.
    QString ListedAddressOr(const QString& typed) const {
        return listedAddress_.isEmpty() ? typed : listedAddress_;
    }

private:
    QString listedAddress_;
};
