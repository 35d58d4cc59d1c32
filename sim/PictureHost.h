#pragma once

#include "sim/SiteRouter.h"
#include "sim/SpaceData.h"

#include <string>
#include <string_view>
#include <vector>

namespace spacesim {

// A picture some space serves: its address as the pages write it, and how its host answers.
struct StoredPicture {
    std::string url;
    PictureDelivery delivery = PictureDelivery::Whole;
};

// Whether the host is one of kPictureHosts.
bool IsPictureHost(std::string_view host);

// Where the service kept the album photo of that id: "http://hiphotos.baidu.com/" + the space's
// name in code page 936, percent-encoded, + "/pic/item/" + id + ".jpg".
std::string PhotoUrl(const Space& space, const std::string& id);

// The addresses on a picture host that an article's markup names ("http://" up to a quote,
// blank or angle bracket), in order.
std::vector<std::string> PictureUrlsIn(const std::string& markup);

// The picture host's answer: the picture's bytes typed as its kind, a page in its stead or
// mislabelled as the space asks, and the 404 page for a picture it does not hold (nullptr).
Reply PictureReply(const StoredPicture* picture);

}  // namespace spacesim
