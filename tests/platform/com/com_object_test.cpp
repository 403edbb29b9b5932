// Reference counting, QueryInterface rules, ComPtr ownership and class factories.
#include "platform/com/com.h"

#include <gtest/gtest.h>

using namespace platform::com;

namespace {

struct IAnimal : IUnknown {
    using Base = IUnknown;
    static constexpr IID iid = guid("{6B1F0001-0000-4000-8000-000000000001}");
    virtual LONG legs() noexcept = 0;
};
struct IDog : IAnimal {
    using Base = IAnimal;
    static constexpr IID iid = guid("{6B1F0001-0000-4000-8000-000000000002}");
    virtual LONG barks() noexcept = 0;
};
struct IPet : IUnknown {
    using Base = IUnknown;
    static constexpr IID iid = guid("{6B1F0001-0000-4000-8000-000000000003}");
    virtual LONG age() noexcept = 0;
};

int g_alive = 0;

class Dog : public ComObject<Dog, IDog, IPet> {
public:
    Dog() { ++g_alive; }
    ~Dog() { --g_alive; }
    LONG legs() noexcept override { return 4; }
    LONG barks() noexcept override { return 2; }
    LONG age() noexcept override { return 7; }
};

TEST(ComObject, QueryInterfaceFollowsTheRules)
{
    ComPtr<Dog> dog = Dog::make();
    ASSERT_TRUE(dog);
    ComPtr<IUnknown> viaDog, viaPet;
    ComPtr<IPet> pet;
    ASSERT_EQ(dog.As(pet), S_OK);
    ASSERT_EQ(dog->QueryInterface(IUnknown::iid, viaDog.voidOut()), S_OK);
    ASSERT_EQ(pet->QueryInterface(IUnknown::iid, viaPet.voidOut()), S_OK);
    EXPECT_EQ(viaDog.Get(), viaPet.Get()); // identity is the same from every interface

    ComPtr<IAnimal> animal; // a base of a listed interface answers too
    ASSERT_EQ(pet.As(animal), S_OK);
    EXPECT_EQ(animal->legs(), 4);

    void *sentinel = reinterpret_cast<void *>(0xdeadbeef);
    EXPECT_EQ(dog->QueryInterface(IClassFactory::iid, &sentinel), E_NOINTERFACE);
    EXPECT_EQ(sentinel, nullptr);
    EXPECT_EQ(dog->QueryInterface(IUnknown::iid, nullptr), E_POINTER);
}

TEST(ComObject, LastReleaseDestroysAndModuleCountFollows)
{
    const LONG before = moduleLockCount().load();
    {
        ComPtr<IDog> dog;
        {
            ComPtr<Dog> made = Dog::make();
            ASSERT_EQ(made.As(dog), S_OK);
        }
        EXPECT_EQ(g_alive, 1);
        EXPECT_EQ(moduleLockCount().load(), before + 1);
        EXPECT_EQ(moduleCanUnloadNow(), S_FALSE);
        ComPtr<IDog> copy = dog;
        dog = nullptr;
        EXPECT_EQ(g_alive, 1);
    }
    EXPECT_EQ(g_alive, 0);
    EXPECT_EQ(moduleLockCount().load(), before);
}

TEST(ClassFactory, RefusesAggregationAndCountsLocks)
{
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(getClassFactory<Dog>(IClassFactory::iid, factory.voidOut()), S_OK);
    const LONG before = moduleLockCount().load();

    void *out = reinterpret_cast<void *>(0xdeadbeef);
    ComPtr<Dog> outer = Dog::make();
    EXPECT_EQ(
        factory->CreateInstance(outer->identity(), IUnknown::iid, &out), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(out, nullptr);
    out = reinterpret_cast<void *>(0xdeadbeef);
    EXPECT_EQ(factory->CreateInstance(nullptr, IClassFactory::iid, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    ComPtr<IPet> pet;
    EXPECT_EQ(factory->CreateInstance(nullptr, IPet::iid, pet.voidOut()), S_OK);
    EXPECT_EQ(pet->age(), 7);

    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    EXPECT_EQ(moduleLockCount().load(), before + 3); // the outer dog, the pet and the lock
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
}

} // namespace
