#include "service/ServiceRefusal.h"

#include "foundation/filesystem/FileSystemErrors.h"

#include <gtest/gtest.h>

namespace {

using knvt::Error;
using knvt::ServiceRefusal;
using knvt::serviceRefusal;

TEST(ServiceRefusal, OnlyTheServicesOwn401And410RefuseTheClient)
{
    const QString service = QString::fromLatin1(KNVTRequestErrorDomain);
    EXPECT_EQ(serviceRefusal(Error(service, 401)), ServiceRefusal::Credentials);
    EXPECT_EQ(serviceRefusal(Error(service, 410)), ServiceRefusal::Version);
    for (qint64 code : {400, 403, 404, 409, 422, 500, 503})
        EXPECT_EQ(serviceRefusal(Error(service, code)), ServiceRefusal::None) << code;
    EXPECT_EQ(serviceRefusal(Error()), ServiceRefusal::None) << "no error";
}

TEST(ServiceRefusal, A401Or410OfAnotherDomainIsNoAnswerOfTheService)
{
    const char *domains[] = {knvt::CURLErrorDomain, KNVTTaskStoreErrorDomain, knvt::NSPOSIXErrorDomain,
                             knvt::NSOSStatusErrorDomain};
    for (const char *domain : domains) {
        for (qint64 code : {401, 410}) {
            SCOPED_TRACE(testing::Message() << domain << " " << code);
            EXPECT_EQ(serviceRefusal(Error(QString::fromLatin1(domain), code)), ServiceRefusal::None);
        }
    }
}

} // namespace
