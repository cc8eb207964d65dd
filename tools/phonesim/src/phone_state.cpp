#include "phone_state.h"

namespace phonesim {

Stores DefaultStores(const PhoneOptions& options) {
    return Stores{DefaultFileStore(options), DefaultAlbum(),        DefaultCalendarGroups(),
                  DefaultJavaStore(),        DefaultMessageStore(), DefaultMediaCentre(options)};
}

}  // namespace phonesim
