#pragma once
// The objects a client makes from its server's state messages: for each class code, a new object of
// that class, placed, turned and named as the message says, with the model its name points at.

#include <cstdint>
#include <functional>
#include <span>

class TGameObject;
class TObjectsControl;

// Makes the object that State (a whole, checked state message) describes, for Objects but not yet
// listed; its Id and fields still to be read from the message. Player aircraft (class 18) come from
// NewAircraft. Null when the message cannot make one: a name that does not name a model file
// safely, or a class code outside the table. A damaged model file throws.
TGameObject *MakeStateObject(TObjectsControl &objects, std::span<const std::uint8_t> state,
                             const std::function<TGameObject *(TObjectsControl &)> &newAircraft);

// The class code of Object's state messages; 0 for a class that sends none.
std::uint16_t StateClassOf(const TGameObject &object);

// A TGamer of another machine (Remote: it shows the state it is given), with an Id from Objects.
TGameObject *NewRemoteGamer(TObjectsControl &objects);
