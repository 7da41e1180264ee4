// The time limit of keyring jobs, with a keyring double that answers
// through the event loop, fails, or never answers at all (as a keyring
// whose unlock prompt nobody sees).
#include "platform/secret_store.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

using namespace tw;

namespace {

TEST(SecretStore, AJobThatNeverAnswersEndsWithinItsTenSecondsAndTheNextFailsAtOnce)
{
    MemorySecretStore keyring;
    keyring.behaviour = MemorySecretStore::Behaviour::NeverAnswer;
    QElapsedTimer clock;
    clock.start();

    const SecretResult result = keyring.read("ann@pop.example.org (password)");

    EXPECT_GE(clock.elapsed(), 10'000);
    EXPECT_LT(clock.elapsed(), 11'500);
    EXPECT_TRUE(result.failed());
    EXPECT_EQ(result.error, "The desktop keyring did not answer within 10 seconds.");

    // A keyring that just hung is not waited for again for a while.
    clock.restart();
    EXPECT_EQ(keyring.write("ann@pop.example.org (password)", "pw").error, result.error);
    EXPECT_LT(clock.elapsed(), 500);
    EXPECT_EQ(keyring.jobs, std::vector<std::string>{"read ann@pop.example.org (password)"});
}

TEST(SecretStore, AfterThePauseAFailedKeyringIsAskedAgain)
{
    MemorySecretStore keyring;
    keyring.pauseAfterFailure = std::chrono::milliseconds(0);
    keyring.behaviour = MemorySecretStore::Behaviour::Fail;
    EXPECT_EQ(keyring.write("k", "v").error, "The keyring is locked.");

    keyring.behaviour = MemorySecretStore::Behaviour::Answer; // unlocked meanwhile
    EXPECT_EQ(keyring.write("k", "v").status, SecretResult::Status::Done);
    EXPECT_EQ(keyring.read("k").value, "v");
    EXPECT_EQ(keyring.read("other").status, SecretResult::Status::NotFound);
    EXPECT_EQ(keyring.remove("k").status, SecretResult::Status::Done);
    EXPECT_EQ(keyring.jobs.size(), 5u);
}

TEST(SecretStore, WithoutADesktopKeyringEveryJobFailsSayingSo)
{
    EXPECT_EQ(SecretStore::current().read("k").error, kNoKeyringText);
    EXPECT_EQ(SecretStore::current().write("k", "v").error, kNoKeyringText);
}

} // namespace
