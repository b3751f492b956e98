// dov kit
