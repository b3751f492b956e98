// body
