#pragma once
// What the kit's fixture component and its test share: two classes, their interfaces and the
// category they register in.
#include <windows.h>
#include <unknwn.h>

// {4B0E6C2A-1F3D-4A57-8E29-6D1C0B7A9E31}
inline constexpr CLSID CLSID_KitCounter = {
    0x4B0E6C2A, 0x1F3D, 0x4A57, {0x8E, 0x29, 0x6D, 0x1C, 0x0B, 0x7A, 0x9E, 0x31}};
// {4B0E6C2A-1F3D-4A57-8E29-6D1C0B7A9E32}: aggregatable, registered counted
inline constexpr CLSID CLSID_KitPart = {
    0x4B0E6C2A, 0x1F3D, 0x4A57, {0x8E, 0x29, 0x6D, 0x1C, 0x0B, 0x7A, 0x9E, 0x32}};
// {4B0E6C2A-1F3D-4A57-8E29-6D1C0B7A9E33}: its FinalConstruct fails with E_ABORT
inline constexpr CLSID CLSID_KitRefuser = {
    0x4B0E6C2A, 0x1F3D, 0x4A57, {0x8E, 0x29, 0x6D, 0x1C, 0x0B, 0x7A, 0x9E, 0x33}};

// {9C3F5E21-7A40-4D8B-B61E-2F0A8C4D5E61}
inline constexpr IID IID_IKitCounter = {
    0x9C3F5E21, 0x7A40, 0x4D8B, {0xB6, 0x1E, 0x2F, 0x0A, 0x8C, 0x4D, 0x5E, 0x61}};
// {9C3F5E21-7A40-4D8B-B61E-2F0A8C4D5E62}
inline constexpr IID IID_IKitNamed = {
    0x9C3F5E21, 0x7A40, 0x4D8B, {0xB6, 0x1E, 0x2F, 0x0A, 0x8C, 0x4D, 0x5E, 0x62}};

inline constexpr char kKitCategory[] = "CATEGORY_KitFixture";

struct IKitCounter : public IUnknown {
  virtual LONG STDMETHODCALLTYPE Next() = 0;  // 1, 2, 3, ... per object
};

struct IKitNamed : public IUnknown {
  virtual const char* STDMETHODCALLTYPE Name() = 0;
};
